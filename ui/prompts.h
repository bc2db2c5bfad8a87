// Every message box, yes/no question and file dialog of the program goes through Prompts, so that windows can
// be driven in tests: QtPrompts shows real dialogs, RecordingPrompts records each message in order and
// answers from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace orvane::ui {

enum class MessageKind { Information, Error, Warning };

// The answer to "save the unsaved changes first?".
enum class SaveChoice { Save, Discard, Cancel };

struct FileDialogRequest {
  QString title;
  QString filter;       // in the program's own notation, for example "*.tpd|*.tpd" or "rom.bin|*.bin"
  int filterIndex = 1;  // 1-based, as the program's dialogs count
  QString initialDir;   // "." = the working folder
  QString fileName;     // proposed name
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A modal message box with the text (and a caption where the window gives one). `detail`, when given, is
  // the reason the program knows (the port layer's, the system's), shown as a second, smaller line.
  virtual void Message(const QString& text, MessageKind kind = MessageKind::Information,
                       const QString& caption = {}, const QString& detail = {}) = 0;
  // A confirmation box with Yes and No; true for Yes.
  virtual bool AskYesNo(const QString& text, const QString& caption = {}) = 0;
  // A box with Save, Discard and Cancel (Save the default, Escape = Cancel).
  virtual SaveChoice AskSaveDiscardCancel(const QString& text, const QString& caption = {}) = 0;
  // File dialogs; nullopt when the user cancels.
  virtual std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) = 0;

  void Error(const QString& text) { Message(text, MessageKind::Error); }
};

class QtPrompts : public Prompts {
 public:
  void Message(const QString& text, MessageKind kind, const QString& caption, const QString& detail) override;
  bool AskYesNo(const QString& text, const QString& caption) override;
  SaveChoice AskSaveDiscardCancel(const QString& text, const QString& caption) override;
  std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) override;
};

// Turns "desc|pattern|desc|pattern" into Qt's "desc (pattern);;..." form.
QString ToQtFilter(const QString& programFilter);

// For tests: records every prompt in order; answers questions and dialogs from queues (a question with no
// scripted answer is answered No, a save question with none Cancel, a dialog with none is cancelled).
class RecordingPrompts : public Prompts {
 public:
  struct Entry {
    enum class Type { Message, Question, SaveQuestion, OpenDialog, SaveDialog } type;
    QString text;  // message or question text; for a dialog, the proposed file name
    MessageKind kind = MessageKind::Information;
    QString caption;
    FileDialogRequest request;  // dialogs only
    QString detail;             // messages only
  };

  void Message(const QString& text, MessageKind kind, const QString& caption, const QString& detail) override;
  bool AskYesNo(const QString& text, const QString& caption) override;
  SaveChoice AskSaveDiscardCancel(const QString& text, const QString& caption) override;
  std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) override;

  std::deque<bool> answers;                   // for AskYesNo
  std::deque<SaveChoice> saveChoices;         // for AskSaveDiscardCancel
  std::deque<std::optional<QString>> files;   // for the file dialogs
  std::vector<Entry> log;

  // The texts of all messages (not questions or dialogs), in order.
  QStringList Messages() const;

 private:
  std::optional<QString> NextFile();
};

}  // namespace orvane::ui
