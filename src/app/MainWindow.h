#pragma once
#include <QMainWindow>

namespace varnel {

// The program's one top-level window.
class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  explicit MainWindow(QWidget *parent = nullptr);
};

} // namespace varnel
