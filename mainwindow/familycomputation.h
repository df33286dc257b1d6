// SPDX-License-Identifier: MIT
#pragma once

#include "core/databaselines.h"
#include "core/producttable.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

namespace nomix {

class LineFamilies;

// Works out the family of every line of the loaded database on a thread of
// its own, so the window never waits for it, and hands the result to the
// window's thread. A new start or the destructor cancels the work under way
// and waits for its thread, which stops within a few dozen milliseconds.
class FamilyComputation : public QObject {
    Q_OBJECT

  public:
    explicit FamilyComputation(QObject* parent = nullptr);
    ~FamilyComputation() override;

    // Starts over for `lines` (which must stay until cancel() or the next
    // start) with the rules of `rulesFolder`.
    void start(const DatabaseLines* lines, const ProductTable& products,
               const QString& rulesFolder);
    // Stops the work under way; nothing is reported for it.
    void cancel();

  signals:
    void familiesComputed(std::shared_ptr<const LineFamilies> families);
    // The rules could not be read; `message` names the file.
    void failed(const QString& message);

  private:
    void deliver(unsigned generation, std::shared_ptr<const LineFamilies> families,
                 const QString& message);

    std::thread m_thread;
    std::atomic<bool> m_cancelled{false};
    unsigned m_generation = 0;
};

} // namespace nomix
