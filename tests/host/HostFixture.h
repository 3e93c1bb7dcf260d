#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "HostSession.h"
#include "QtTestSupport.h"
#include "TempDirectory.h"
#include "mailstore/MessagePreview.h"

namespace host_test {

namespace fs = std::filesystem;

// A user's machine in a temporary directory: the sample mailbox written by
// make-sample-mailbox (its linked files beside it), registry hives with the
// add-in registered by velmora-regsvr and the MAPI provider, drives C: and
// D:. RunHost runs the desktop host over it in this process, as the program
// does, with a script that plays the user.
class HostTest : public ::testing::Test {
public:
    // The message files of a folder, by name.
    static std::vector<fs::path> Messages(const fs::path& folder);

protected:
    // messages and megabytes as make-sample-mailbox takes them.
    explicit HostTest(int messages = 40, int megabytes = 4);
    ~HostTest() override;

    // Runs the host until the script has returned and the host has closed
    // (the script's last step asks it to); the event loop's status. A host
    // that has not closed two minutes after it started fails the test.
    int RunHost(const std::function<void(velmora::desktop::HostSession&)>& script);

    fs::path Folder(std::string_view relative) const { return mailbox / std::string(relative); }
    // A message file of the folder whose subject is that; fails the test when none.
    static fs::path MessageWithSubject(const fs::path& folder, const std::u16string& subject);
    // The files below a directory, as relative paths, sorted.
    static std::vector<std::string> FilesBelow(const fs::path& directory);

    // The native directory of drive C: or D:.
    fs::path Drive(char letter) const { return temp.Path() / std::string(1, letter); }
    fs::path BarFile() const { return temp.Path() / "registry" / "host-command-bars.json"; }
    // Whether the first run has shown the welcome window already.
    bool welcomeSeen = true;

    testing_support::TempDirectory temp;
    fs::path mailbox;
    fs::path linkRoot;
};

// Runs its action when it goes, also when a failed assertion leaves early.
class Finally {
public:
    explicit Finally(std::function<void()> action) : action_(std::move(action)) {}
    ~Finally() { action_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    std::function<void()> action_;
};

// A visible top-level window by its object name; null when none.
QWidget* Window(const QString& objectName);
using qt_test::ButtonWithText;
using qt_test::Child;
using qt_test::ModalAnswers;

// The action of a command bar of the main window; null when the bar or the
// control is not drawn.
QAction* BarAction(velmora::desktop::MainWindow& window, const QString& bar, const QString& caption);
// The texts of the item context menu as the user opens it now.
QStringList ContextMenuTexts(velmora::desktop::MainWindow& window);
// The log lines of the add-in's progress window.
QStringList ProgressLog();
// The options dialog from the tool bar button, set to save every attachment
// of the folder shown (not its sub-folders) into the directory, with no
// size limit, removing each and leaving a link; null when it did not open.
QWidget* OpenToSaveWithLinks(velmora::desktop::HostSession& host, const QString& directory);
// Saves the folder shown that way, answering yes to making the directory,
// and closes the progress window; false when the run did not finish.
bool SaveWithLinks(velmora::desktop::HostSession& host, const QString& directory);

}  // namespace host_test
