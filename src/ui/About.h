// The about box: product name and version.
#pragma once

#include <QDialog>

namespace vorun {

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

extern TAboutBox* AboutBox;

}  // namespace vorun
