#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName("Vorun - Quarvel");
  QMainWindow window;
  window.resize(604, 431);
  window.show();
  return QApplication::exec();
}
