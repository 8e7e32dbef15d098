#include "ui/SheetPresenter.h"

#include <QDialog>
#include <QWidget>

namespace varnel {

SheetPresenter::SheetPresenter(QWidget *anchor) : QObject(anchor), m_anchor(anchor) {}

SheetPresenter::~SheetPresenter() {
  // The sheet's parent is the window, which outlives the screen.
  if (m_sheet) {
    QDialog *sheet = m_sheet;
    m_sheet = nullptr;
    sheet->disconnect(this);
    delete sheet;
  }
}

std::optional<QUuid> SheetPresenter::route() const {
  if (!m_sheet)
    return std::nullopt;
  return m_route;
}

void SheetPresenter::sync(const std::optional<QUuid> &route, const std::function<QDialog *()> &build) {
  if (m_sheet && (!route || *route != m_route))
    dismiss();
  // Closing reports to the model, which may have presented the next sheet.
  if (route && !m_sheet)
    present(build(), *route);
}

void SheetPresenter::present(QDialog *sheet, const QUuid &route) {
  if (m_sheet)
    dismiss();
  m_sheet = sheet;
  m_route = route;
  sheet->setParent(m_anchor->window(), sheet->windowFlags() | Qt::Dialog);
  sheet->setWindowModality(Qt::WindowModal);
  connect(sheet, &QDialog::finished, this, [this, sheet] {
    if (m_sheet != sheet)
      return;
    m_sheet = nullptr;
    sheet->deleteLater();
    emit closed(m_route);
  });
  sheet->open();
}

void SheetPresenter::dismiss() {
  if (m_sheet)
    m_sheet->reject();
}

} // namespace varnel
