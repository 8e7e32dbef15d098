#pragma once
// The frame of a list screen: a title bar with the screen's title and its
// primary action, the header row, a busy indicator and the red error line
// over the list view. It also gives the screen its keys: Ctrl+F searches,
// Ctrl+N asks for a new entry, F5 reloads (Delete on a row is the list's own).
//
//   auto *frame = new ListScreenFrame({title, "Buscar...", "Novo X"}, this);
//   frame->setContent(myListView);
//   connect(frame, &ListScreenFrame::newRequested, model, &Model::openNew);
//   ... and in render(): frame->setLoading(...), frame->setError(...)

#include <QWidget>

#include <optional>

class QAbstractItemView;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace varnel {

class BusySpinner;
class ListHeaderRow;
class MessageLine;

class ListScreenFrame : public QWidget {
  Q_OBJECT
public:
  struct Texts {
    QString title;
    QString searchPlaceholder;
    QString newEntry;
  };
  explicit ListScreenFrame(const Texts &texts, QWidget *parent = nullptr);

  // Places view under the header (once).
  void setContent(QAbstractItemView *view);

  void setLoading(bool loading);
  void setError(const std::optional<QString> &message);
  void setSearchText(const QString &text);

  ListHeaderRow *header() const { return m_header; }
  QLineEdit *searchField() const;
  QPushButton *refreshButton() const;
  QPushButton *newButton() const;
  QPushButton *toolbarNewButton() const { return m_toolbarNew; }
  QAbstractItemView *content() const { return m_view; }
  BusySpinner *busyIndicator() const { return m_busy; }
  MessageLine *errorLine() const { return m_error; }

signals:
  void searchEdited(const QString &text);
  void refreshRequested();
  void newRequested();

private:
  ListHeaderRow *m_header;
  QPushButton *m_toolbarNew;
  QWidget *m_busyRow;
  BusySpinner *m_busy;
  MessageLine *m_error;
  QVBoxLayout *m_layout;
  QAbstractItemView *m_view = nullptr;
};

} // namespace varnel
