#pragma once
#include <string>
#include <vector>

// An open-file dialog run as a program of its own (zenity by default), so that the frame loop
// keeps drawing while the user chooses: open() starts it and returns at once, poll() is called once
// per frame and reports the outcome once the program has ended.
class FileDialog {
 public:
  enum class State { Idle, Open, Chosen, Cancelled, Failed };

  // zenity's file selection with one filter, written "Name | *.ext".
  static std::vector<std::string> zenityCommand(const std::string& title, const std::string& filter);

  // The program (looked up on PATH) and its arguments. The program prints the chosen path on its
  // standard output and exits with 0, or exits with 1 when the user cancels.
  explicit FileDialog(std::vector<std::string> command);
  // Ends a dialog that is still open.
  ~FileDialog();
  FileDialog(const FileDialog&) = delete;
  FileDialog& operator=(const FileDialog&) = delete;

  void setCommand(std::vector<std::string> command) { programAndArguments = std::move(command); }

  // Starts the dialog. False, with one log line, when there is no display or the program cannot be
  // started; false without one while a dialog is already open.
  bool open();
  bool isOpen() const { return childId > 0; }

  // Open while the dialog runs; once it has ended, one call reports Chosen (with path set),
  // Cancelled, or Failed (with a log line), and later calls Idle.
  State poll(std::string& path);

 private:
  // Reads whatever the program has written so far.
  void readOutput();
  void closeOutput();

  std::vector<std::string> programAndArguments;
  int childId = -1;
  int outputFd = -1;
  std::string output;
};
