#include "ui/ListHeaderRow.h"

#include "ui/ButtonStyles.h"
#include "ui/Icons.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace varnel {

ListHeaderRow::ListHeaderRow(const QString &searchPlaceholder, const QString &newEntryText, QWidget *parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("listHeader"));
  auto *row = new QHBoxLayout(this);
  row->setContentsMargins(12, 12, 12, 12);
  row->setSpacing(8);

  m_search = new QLineEdit(this);
  m_search->setObjectName(QStringLiteral("search"));
  m_search->setPlaceholderText(searchPlaceholder);
  m_search->setClearButtonEnabled(true);
  m_search->setMinimumHeight(28);
  row->addWidget(m_search, 1);

  m_refresh = new QPushButton(QStringLiteral("Atualizar"), this);
  m_refresh->setObjectName(QStringLiteral("refresh"));
  m_refresh->setAutoDefault(false);
  m_refresh->setToolTip(QStringLiteral("F5"));
  row->addWidget(m_refresh);

  m_new = new QPushButton(themedIcon({QStringLiteral("list-add"), QStringLiteral("document-new")}), newEntryText, this);
  m_new->setObjectName(QStringLiteral("newEntry"));
  m_new->setAutoDefault(false);
  m_new->setToolTip(QStringLiteral("Ctrl+N"));
  styleProminent(m_new);
  row->addWidget(m_new);

  connect(m_search, &QLineEdit::textChanged, this, &ListHeaderRow::searchEdited);
  connect(m_refresh, &QPushButton::clicked, this, &ListHeaderRow::refreshRequested);
  connect(m_new, &QPushButton::clicked, this, &ListHeaderRow::newRequested);
}

void ListHeaderRow::setSearchText(const QString &text) {
  if (m_search->text() != text)
    m_search->setText(text);
}

void ListHeaderRow::setLoading(bool loading) { m_refresh->setEnabled(!loading); }

} // namespace varnel
