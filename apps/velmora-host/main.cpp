// velmora-host: a desktop mail program over a Maildir mailbox that loads
// COM add-ins registered for the mail client as the client itself does, so
// that Velmora's windows can be used on Linux. See README.md.
//
// Exit status: 0 closed, 1 the mailbox or the platform cannot be opened,
// 2 wrong use.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "HostPlatform.h"
#include "HostSession.h"
#include "TerminationSignal.h"
#include "base/Exception.h"
#include "host/HostError.h"
#include "base/Utf16.h"

namespace {

enum ExitStatus : int { kCannotOpen = 1, kWrongUse = 2 };

// The bars belong to the user, as the registry's user hive does.
QString CommandBarFilePath(const posix::HiveFiles& hives) {
    return QFileInfo(QFile::decodeName(hives.user.c_str())).dir().filePath("host-command-bars.json");
}

}  // namespace

int main(int argc, char** argv) {
    velmora::desktop::TerminationSignal::Install();
    QApplication application(argc, argv);
    QApplication::setApplicationName("velmora-host");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "A desktop mail program over a Maildir mailbox that loads the add-ins registered for the mail client.");
    const QCommandLineOption help = parser.addHelpOption();
    parser.addPositionalArgument("mailbox", "The mailbox directory: a Maildir folder, sub-folders below it.");
    if (!parser.parse(QApplication::arguments())) {
        std::fprintf(stderr, "velmora-host: %s (see --help)\n", qPrintable(parser.errorText()));
        return kWrongUse;
    }
    if (parser.isSet(help)) parser.showHelp(0);
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "velmora-host: give one mailbox directory (see --help)\n");
        return kWrongUse;
    }
    const std::filesystem::path mailbox(QFile::encodeName(parser.positionalArguments().front()).toStdString());

    try {
        velmora::desktop::HostPlatform platform;
        // The add-in's runs lock the mailbox as the command line's do.
        setenv("VELMORA_MAILBOX", std::filesystem::absolute(mailbox).c_str(), 1);
        velmora::desktop::HostSession session(mailbox, platform.Files(), CommandBarFilePath(platform.Hives()));
        velmora::desktop::TerminationSignal termination;
        QObject::connect(&termination, &velmora::desktop::TerminationSignal::received, &session,
                         &velmora::desktop::HostSession::RequestClose);
        return session.Run();
    } catch (const host::HostError& error) {
        std::fprintf(stderr, "velmora-host: %s\n", velmora::ToUtf8(error.Message()).c_str());
    } catch (const velmora::Exception& error) {
        std::fprintf(stderr, "velmora-host: %s\n", error.what());
    }
    return kCannotOpen;
}
