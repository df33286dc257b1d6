// SPDX-License-Identifier: MIT
#include "familycomputation.h"

#include "core/labelling/familyvote.h"
#include "core/labelling/labellingrules.h"
#include "core/labelling/linefamilies.h"
#include "platform/messagebox.h"

#include <QMetaObject>

#include <exception>

namespace nomix {

FamilyComputation::FamilyComputation(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("familyComputation"));
}

FamilyComputation::~FamilyComputation() {
    cancel();
}

void FamilyComputation::cancel() {
    ++m_generation;
    if (m_thread.joinable()) {
        m_cancelled = true;
        m_thread.join();
    }
    m_cancelled = false;
}

void FamilyComputation::start(const DatabaseLines* lines, const ProductTable& products,
                              const QString& rulesFolder) {
    cancel();
    const unsigned generation = m_generation;
    m_thread = std::thread([this, lines, products, generation,
                            folder = rulesFolder.toLocal8Bit().toStdString()] {
        std::shared_ptr<const LineFamilies> families;
        QString message;
        try {
            const LabellingRules rules = LabellingRules::fromFolder(folder);
            const FamilyVote vote(rules, products);
            std::optional<LineFamilies> computed =
                computeLineFamilies(vote, *lines, [this] { return m_cancelled.load(); });
            if (!computed) {
                return;
            }
            families = std::make_shared<const LineFamilies>(std::move(*computed));
        } catch (const std::exception& error) {
            message = MessageBox::errorText(error);
        }
        QMetaObject::invokeMethod(
            this, [this, generation, families, message] { deliver(generation, families, message); },
            Qt::QueuedConnection);
    });
}

// Runs on the window's thread; a result of work cancelled since is dropped.
void FamilyComputation::deliver(unsigned generation, std::shared_ptr<const LineFamilies> families,
                                const QString& message) {
    if (generation != m_generation) {
        return;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (families) {
        emit familiesComputed(std::move(families));
    } else {
        emit failed(message);
    }
}

} // namespace nomix
