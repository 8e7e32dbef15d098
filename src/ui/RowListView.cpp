#include "ui/RowListView.h"

#include "ui/Icons.h"
#include "ui/TextRowDelegate.h"
#include "ui/TextRowListModel.h"

#include <QKeyEvent>
#include <QMenu>

namespace varnel {

RowListView::RowListView(QWidget *parent) : QListView(parent), m_rows(new TextRowListModel(this)) {
  setObjectName(QStringLiteral("rows"));
  setModel(m_rows);
  setItemDelegate(new TextRowDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setAlternatingRowColors(true);
  setFrameShape(QFrame::NoFrame);
  connect(this, &QListView::clicked, this, [this](const QModelIndex &index) { emit rowClicked(index.row()); });
}

void RowListView::setRows(QList<TextRow> rows) { m_rows->setRows(std::move(rows)); }

void RowListView::keyPressEvent(QKeyEvent *event) {
  const QModelIndex current = currentIndex();
  if (m_editMenu && event->matches(QKeySequence::Delete) && current.isValid() &&
      selectionModel()->isSelected(current)) {
    event->accept();
    emit deleteRequested(current.row());
    return;
  }
  QListView::keyPressEvent(event);
}

void RowListView::enableEditMenu() {
  m_editMenu = true;
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
    const QModelIndex index = indexAt(at);
    if (!index.isValid())
      return;
    setCurrentIndex(index);
    const int row = index.row();
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("rowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *edit = menu->addAction(themedIcon({QStringLiteral("document-edit"), QStringLiteral("edit")}),
                                    QStringLiteral("Editar"));
    menu->addSeparator();
    QAction *remove = menu->addAction(themedIcon({QStringLiteral("edit-delete"), QStringLiteral("user-trash")}),
                                      QStringLiteral("Excluir"));
    remove->setProperty("destructive", true);
    connect(edit, &QAction::triggered, this, [this, row] { emit editRequested(row); });
    connect(remove, &QAction::triggered, this, [this, row] { emit deleteRequested(row); });
    menu->popup(viewport()->mapToGlobal(at));
  });
}

} // namespace varnel
