// Commands dispatched through a table from command id to a member handler,
// instead of a growing switch.
//
//   static constexpr Command<PasswordPrompt> kCommands[] = {
//       {IDOK, &PasswordPrompt::OnOk},
//       {IDCANCEL, &PasswordPrompt::OnCancel},
//   };
//   DispatchCommand(kCommands, *this, id);
#pragma once

#include <span>

namespace tav {

template <class Owner>
struct Command {
  int id;
  void (Owner::*handler)();
};

// Runs the handler of `id`; false when the table has none.
template <class Owner>
bool DispatchCommand(std::span<const Command<Owner>> table, Owner& owner, int id) {
  for (const Command<Owner>& command : table) {
    if (command.id == id) {
      (owner.*command.handler)();
      return true;
    }
  }
  return false;
}

template <class Owner, size_t N>
bool DispatchCommand(const Command<Owner> (&table)[N], Owner& owner, int id) {
  return DispatchCommand(std::span<const Command<Owner>>(table), owner, id);
}

}  // namespace tav
