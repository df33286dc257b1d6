// SPDX-License-Identifier: MIT
#pragma once

#include "core/settingsstore.h"

#include <QObject>

#include <functional>
#include <type_traits>

namespace nomix {

// The options of the "Options" dialog, held once for the whole program. The
// dialog edits them, the windows read them when they need an option and
// follow the changes that must show at once. A change is signalled only when
// the value really changes, synchronously, so a reaction is done before the
// setter returns.
class Settings : public QObject {
    Q_OBJECT

  public:
    explicit Settings(QObject* parent = nullptr);

    bool value(Option option) const { return m_values[optionIndex(option)]; }
    void setValue(Option option, bool on);

    // Calls `reaction` each time `option` changes, for as long as `receiver`
    // lives: a member function of `receiver` that takes the new value or
    // nothing, or any callable taking the new value.
    template <typename Receiver, typename Reaction>
    QMetaObject::Connection follow(Option option, Receiver* receiver, Reaction reaction) {
        return connect(this, &Settings::changed, receiver,
                       [option, receiver, reaction](Option which, bool on) {
                           if (which != option) {
                               return;
                           }
                           if constexpr (!std::is_member_function_pointer_v<Reaction>) {
                               reaction(on);
                           } else if constexpr (std::is_invocable_v<Reaction, Receiver*, bool>) {
                               std::invoke(reaction, receiver, on);
                           } else {
                               std::invoke(reaction, receiver);
                           }
                       });
    }

    // The options as the settings file stores them, and back. Restoring sets
    // them one by one in the table's order, each signalling if it changes;
    // the other members of `stored` are neither read nor written.
    void copyTo(StoredSettings& stored) const;
    void restore(const StoredSettings& stored);

  signals:
    void changed(nomix::Option option, bool on);

  private:
    OptionValues m_values = defaultOptionValues();
};

} // namespace nomix
