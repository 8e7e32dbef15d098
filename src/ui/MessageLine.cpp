#include "ui/MessageLine.h"

namespace varnel {

MessageLine::MessageLine(Tone tone, QWidget *parent) : QLabel(parent), m_tone(tone) {
  setObjectName(tone == Tone::Error ? QStringLiteral("errorMessage") : QStringLiteral("successMessage"));
  setWordWrap(true);
  setTextFormat(Qt::PlainText);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setStyleSheet(tone == Tone::Error ? QStringLiteral("color: #d70015;") : QStringLiteral("color: #248a3d;"));
  hide();
}

void MessageLine::setMessage(const std::optional<QString> &message) {
  setText(message.value_or(QString()));
  setVisible(message.has_value());
}

} // namespace varnel
