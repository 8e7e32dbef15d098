#pragma once
// One line of feedback under a screen's header or a form's title: a failure
// in red or a success message in green. Hidden while there is no text.

#include <QLabel>

#include <optional>

namespace varnel {

class MessageLine : public QLabel {
  Q_OBJECT
public:
  enum class Tone { Error, Success };
  explicit MessageLine(Tone tone, QWidget *parent = nullptr);

  Tone tone() const { return m_tone; }
  void setMessage(const std::optional<QString> &message);

private:
  Tone m_tone;
};

} // namespace varnel
