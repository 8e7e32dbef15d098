#pragma once
// A summary card: a title over a large figure, on a translucent rounded card
// of fixed size.

#include <QWidget>

namespace varnel {

class StatCard : public QWidget {
  Q_OBJECT
public:
  explicit StatCard(const QString &title, QWidget *parent = nullptr);

  static constexpr int kWidth = 260;
  static constexpr int kHeight = 120;

  const QString &title() const { return m_title; }
  const QString &value() const { return m_value; }
  void setValue(const QString &value);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QString m_title;
  QString m_value;
};

} // namespace varnel
