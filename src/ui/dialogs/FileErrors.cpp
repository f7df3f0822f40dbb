#include "ui/dialogs/FileErrors.h"

#include <QDir>
#include <QFileInfo>

namespace vorun {

std::string FileActionMessage(const std::string& action, const std::string& name, const std::string& reason) {
  if (!name.empty() && reason.find(name) != std::string::npos) return reason;
  std::string why = reason;
  const QString file = QString::fromStdString(name);
  if (why == "File not found" && !QFileInfo(file).absoluteDir().exists()) {
    why = "the folder does not exist";
  } else if (why.size() > 1 && why[0] >= 'A' && why[0] <= 'Z' && why[0] != 'I' &&
             ((why[1] >= 'a' && why[1] <= 'z') || why[1] == ' ')) {
    // "File access denied" reads on after the colon; "I/O error 5" keeps its capitals.
    why[0] = static_cast<char>(why[0] - 'A' + 'a');
  }
  return "Cannot " + action + " " + name + ": " + why;
}

}  // namespace vorun
