// A dialog seam for window tests: it records every message and answers
// dialogs from queues the test fills beforehand. An unexpected dialog (empty
// queue) fails the test instead of blocking.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QWidget>
#include <deque>
#include <optional>
#include <ostream>
#include <vector>

#include "ui/dialogs/Dialogs.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& texts, std::ostream* os) {
  *os << '{' << texts.join("; ").toStdString() << '}';
}

namespace vorun::test {

struct ShownMessage {
  MessageKind kind;
  QString text;
  MessageButtons buttons;
  // The window the box stands on was on the screen when it came.
  bool overShownWindow;
};

class ScriptedDialogs final : public DialogSeam {
 public:
  ScriptedDialogs() { SetDialogs(this); }
  ~ScriptedDialogs() override { SetDialogs(nullptr); }
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  std::vector<ShownMessage> messages;
  std::deque<MessageAnswer> answers;               // for YesNo boxes
  std::deque<std::optional<QString>> openAnswers;  // nullopt = Cancel
  std::deque<std::optional<QString>> saveAnswers;  // nullopt = Cancel
  std::vector<FileDialogRequest> fileRequests;

  MessageAnswer Message(QWidget* parent, MessageKind kind, const QString& text,
                        MessageButtons buttons) override {
    messages.push_back({kind, text, buttons, parent != nullptr && parent->window()->isVisible()});
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return MessageAnswer::No;
    }
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::optional<QString> OpenFileName(QWidget*, const FileDialogRequest& request) override {
    return Next(openAnswers, request, "open");
  }

  std::optional<QString> SaveFileName(QWidget*, const FileDialogRequest& request) override {
    return Next(saveAnswers, request, "save");
  }

  QStringList Texts() const {
    QStringList texts;
    for (const auto& m : messages) texts << m.text;
    return texts;
  }

 private:
  std::optional<QString> Next(std::deque<std::optional<QString>>& queue, const FileDialogRequest& request,
                              const char* what) {
    fileRequests.push_back(request);
    if (queue.empty()) {
      ADD_FAILURE() << "unexpected " << what << " dialog";
      return std::nullopt;
    }
    // Taken apart rather than copied whole: GCC misreads a copied
    // optional<QString> as possibly uninitialised.
    const bool chosen = queue.front().has_value();
    const QString name = chosen ? *queue.front() : QString();
    queue.pop_front();
    if (!chosen) return std::nullopt;
    return name;
  }
};

}  // namespace vorun::test
