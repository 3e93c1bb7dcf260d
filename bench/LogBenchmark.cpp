// The progress window fed as a long run feeds it: 20 folders of 1,250 mails
// with three attachments each, 100,020 log lines, every attachment line
// rewritten once with its outcome and every attachment start pumping the
// event loop. Runs offscreen unless QT_QPA_PLATFORM says otherwise:
//   build/bench/log_benchmark

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <chrono>
#include <cstdio>
#include <string>

#include "qt/LogEdit.h"
#include "qt/QtUserInterface.h"
#include "ui/frm_ProcessLog.h"

namespace {

constexpr int kFolders = 20;
constexpr int kMailsPerFolder = 1250;
constexpr int kAttachmentsPerMail = 3;
constexpr int kLines = kFolders * (1 + kMailsPerFolder * (1 + kAttachmentsPerMail));

std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
}

std::uint32_t MonotonicTicks() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The window logic over the Qt views: the engine's handlers in run order.
void ProgressWindowRun(benchmark::State& state) {
    const posix::WindowsFileSystem fileSystem{posix::DriveMap{}};
    qtui::QtUserInterface qt(fileSystem);
    host::UserInterfaceScope scope(qt.Services());
    velmora::TfrmProcessLog progress(MonotonicTicks);
    for (auto _ : state) {
        progress.SetRunning(true);
        for (int folder = 1; folder <= kFolders; ++folder) {
            progress.OnProcessFolder(u"Folder " + Number(folder));
            for (int mail = 1; mail <= kMailsPerFolder; ++mail) {
                progress.OnProcessMail(u"Quarterly report, part " + Number(mail));
                for (int att = 1; att <= kAttachmentsPerMail; ++att) {
                    const std::u16string name = u"attachment-" + Number(mail) + u"-" + Number(att) + u".pdf";
                    progress.OnProcessAttachment(name);
                    progress.OnAttachmentStatus(u"C:\\Attachments\\Folder " + Number(folder) + u"\\" + name,
                                                u"C:\\Attachments", velmora::asSaved);
                }
            }
        }
        progress.SetRunning(false);
    }
    state.counters["lines"] = kLines + 1;
}

// The same lines straight into the batched log, without the logic and the pump.
void BatchedLogOnly(benchmark::State& state) {
    QWidget window;
    auto* log = new qtui::LogEdit(&window);
    log->resize(608, 277);
    window.show();
    for (auto _ : state) {
        log->ClearLog();
        for (int line = 0; line < kLines / (1 + kAttachmentsPerMail); ++line) {
            log->Append(QStringLiteral(" => Processing mail Quarterly report, part %1").arg(line));
            for (int att = 1; att <= kAttachmentsPerMail; ++att) {
                const QString start = QStringLiteral("   => Processing att. attachment-%1-%2.pdf...").arg(line).arg(att);
                log->Append(start);
                log->RewriteLastLine(start + QStringLiteral(" Attachment saved as C:\\Attachments\\x.pdf."));
            }
        }
        log->Flush();
        QCoreApplication::processEvents();
    }
}

// What the batching replaces: one append per line, and the outcome written
// over the last line through a text cursor.
void OneInsertPerLine(benchmark::State& state) {
    QWidget window;
    auto* log = new QPlainTextEdit(&window);
    log->setReadOnly(true);
    log->resize(608, 277);
    window.show();
    for (auto _ : state) {
        log->clear();
        for (int line = 0; line < kLines / (1 + kAttachmentsPerMail); ++line) {
            log->appendPlainText(QStringLiteral(" => Processing mail Quarterly report, part %1").arg(line));
            for (int att = 1; att <= kAttachmentsPerMail; ++att) {
                const QString start = QStringLiteral("   => Processing att. attachment-%1-%2.pdf...").arg(line).arg(att);
                log->appendPlainText(start);
                QTextCursor cursor(log->document());
                cursor.movePosition(QTextCursor::End);
                cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
                cursor.insertText(start + QStringLiteral(" Attachment saved as C:\\Attachments\\x.pdf."));
            }
        }
        QCoreApplication::processEvents();
    }
}

BENCHMARK(ProgressWindowRun)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BatchedLogOnly)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(OneInsertPerLine)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// The offscreen platform warns at every raise of the window, which the run
// does at every attachment; the warnings would be timed with the run.
QtMessageHandler standardHandler = nullptr;

void DropPlatformWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
    if (standardHandler != nullptr) {
        standardHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    standardHandler = qInstallMessageHandler(DropPlatformWarnings);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
