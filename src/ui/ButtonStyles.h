#pragma once
// The two button looks the screens share besides the plain one: prominent
// (the screen's main action, filled with the accent colour) and destructive
// (an action that archives or removes, in red).

class QPushButton;

namespace varnel {

void styleProminent(QPushButton *button);
void styleDestructive(QPushButton *button);

} // namespace varnel
