#include "ui/ListScreenFrame.h"

#include "ui/BusySpinner.h"
#include "ui/Icons.h"
#include "ui/ListHeaderRow.h"
#include "ui/MessageLine.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace varnel {

ListScreenFrame::ListScreenFrame(const Texts &texts, QWidget *parent) : QWidget(parent) {
  m_layout = new QVBoxLayout(this);
  m_layout->setContentsMargins(0, 0, 0, 0);
  m_layout->setSpacing(0);

  // The title bar: the screen's title and its primary action on the right.
  auto *titleBar = new QWidget(this);
  titleBar->setObjectName(QStringLiteral("titleBar"));
  auto *titleRow = new QHBoxLayout(titleBar);
  titleRow->setContentsMargins(12, 4, 12, 0);
  auto *title = new QLabel(texts.title, titleBar);
  title->setObjectName(QStringLiteral("screenTitle"));
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.45);
  titleFont.setBold(true);
  title->setFont(titleFont);
  titleRow->addWidget(title);
  titleRow->addStretch(1);
  m_toolbarNew = new QPushButton(themedIcon({QStringLiteral("list-add")}), texts.newEntry, titleBar);
  m_toolbarNew->setObjectName(QStringLiteral("toolbarNewEntry"));
  m_toolbarNew->setAutoDefault(false);
  m_toolbarNew->setFlat(true);
  m_toolbarNew->setToolTip(QStringLiteral("Ctrl+N"));
  titleRow->addWidget(m_toolbarNew);
  m_layout->addWidget(titleBar);

  m_header = new ListHeaderRow(texts.searchPlaceholder, texts.newEntry, this);
  m_layout->addWidget(m_header);

  m_busyRow = new QWidget(this);
  auto *busyLayout = new QHBoxLayout(m_busyRow);
  busyLayout->setContentsMargins(0, 0, 0, 8);
  m_busy = new BusySpinner(m_busyRow);
  m_busy->setObjectName(QStringLiteral("busy"));
  busyLayout->addWidget(m_busy, 0, Qt::AlignCenter);
  m_busyRow->hide();
  m_layout->addWidget(m_busyRow);

  auto *errorRow = new QWidget(this);
  auto *errorLayout = new QHBoxLayout(errorRow);
  errorLayout->setContentsMargins(12, 0, 12, 8);
  m_error = new MessageLine(MessageLine::Tone::Error, errorRow);
  errorLayout->addWidget(m_error);
  errorRow->hide();
  m_layout->addWidget(errorRow);

  connect(m_header, &ListHeaderRow::searchEdited, this, &ListScreenFrame::searchEdited);
  connect(m_header, &ListHeaderRow::refreshRequested, this, &ListScreenFrame::refreshRequested);
  connect(m_header, &ListHeaderRow::newRequested, this, &ListScreenFrame::newRequested);
  connect(m_toolbarNew, &QPushButton::clicked, this, &ListScreenFrame::newRequested);

  // Window-wide keys; a sheet over the window takes the keys while it is open.
  auto *find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    searchField()->setFocus(Qt::ShortcutFocusReason);
    searchField()->selectAll();
  });
  auto *create = new QShortcut(QKeySequence::New, this);
  connect(create, &QShortcut::activated, this, &ListScreenFrame::newRequested);
  auto *reload = new QShortcut(QKeySequence::Refresh, this);
  connect(reload, &QShortcut::activated, this, [this] {
    if (refreshButton()->isEnabled())
      emit refreshRequested();
  });
}

void ListScreenFrame::setContent(QAbstractItemView *view) {
  Q_ASSERT(!m_view);
  m_view = view;
  view->setParent(this);
  m_layout->addWidget(view, 1);
}

void ListScreenFrame::setLoading(bool loading) {
  m_header->setLoading(loading);
  m_busyRow->setVisible(loading);
}

void ListScreenFrame::setError(const std::optional<QString> &message) {
  m_error->setMessage(message);
  m_error->parentWidget()->setVisible(message.has_value());
}

void ListScreenFrame::setSearchText(const QString &text) { m_header->setSearchText(text); }

QLineEdit *ListScreenFrame::searchField() const { return m_header->searchField(); }
QPushButton *ListScreenFrame::refreshButton() const { return m_header->refreshButton(); }
QPushButton *ListScreenFrame::newButton() const { return m_header->newButton(); }

} // namespace varnel
