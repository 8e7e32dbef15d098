#include "ui/ButtonStyles.h"

#include <QPushButton>

namespace varnel {

void styleProminent(QPushButton *button) {
  button->setProperty("prominent", true);
  button->setStyleSheet(
      QStringLiteral("QPushButton { background: palette(highlight); color: palette(highlighted-text); border: none;"
                     " border-radius: 6px; padding: 5px 12px; font-weight: bold; }"
                     "QPushButton:focus { border: 2px solid palette(dark); }"
                     "QPushButton:pressed { background: palette(dark); }"
                     "QPushButton:disabled { background: palette(midlight); color: palette(mid); }"));
}

void styleDestructive(QPushButton *button) {
  button->setProperty("destructive", true);
  button->setStyleSheet(
      QStringLiteral("QPushButton { background: #d70015; color: white; border: none; border-radius: 6px;"
                     " padding: 5px 12px; font-weight: bold; }"
                     "QPushButton:focus { border: 2px solid #7a000c; }"
                     "QPushButton:pressed { background: #a50010; }"));
}

} // namespace varnel
