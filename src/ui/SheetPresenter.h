#pragma once
// Shows a screen's form as a sheet: a window-modal dialog over the main
// window, open exactly while the screen model's route is set. Every way the
// sheet closes (its buttons, Escape, the window's close button, dismiss())
// is reported once through closed() with the route it was opened for.
//
//   connect(presenter, &SheetPresenter::closed, model, &Model::sheetClosed);
//   ... in render():
//   presenter->sync(routeIdOf(model.formRoute()), [&] { return new MyForm(...); });

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace varnel {

class SheetPresenter : public QObject {
  Q_OBJECT
public:
  // The sheet goes over anchor's window; it is deleted with this presenter.
  explicit SheetPresenter(QWidget *anchor);
  ~SheetPresenter() override;

  // Makes the shown sheet match route: closes a sheet of another route (or
  // any sheet when route is absent) and builds one when a route has none.
  void sync(const std::optional<QUuid> &route, const std::function<QDialog *()> &build);
  // Shows sheet (taking it) for route, closing the one shown first.
  void present(QDialog *sheet, const QUuid &route);
  // Closes the shown sheet as if it were cancelled.
  void dismiss();

  QDialog *sheet() const { return m_sheet; }
  std::optional<QUuid> route() const;

signals:
  void closed(const QUuid &route);

private:
  QWidget *m_anchor;
  QPointer<QDialog> m_sheet;
  QUuid m_route;
};

} // namespace varnel
