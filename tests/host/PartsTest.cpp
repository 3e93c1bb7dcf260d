// The host's parts on their own: where the command bars are kept, what the
// reading pane loads and opens, the drives handed to add-ins, and the wait
// for an add-in's run.

#include <sys/stat.h>

#include <QBuffer>
#include <QDesktopServices>
#include <QFile>
#include <QImage>
#include <QTextDocument>
#include <fstream>

#include "AfterRuns.h"
#include "AttachmentOpener.h"
#include "CommandBarFile.h"
#include "HostFixture.h"
#include "HostPlatform.h"
#include "SafeBrowser.h"
#include "TempDirectory.h"
#include "UrlRecorder.h"
#include "qt/MessagePump.h"

namespace host_test {
namespace {

namespace fs = std::filesystem;
using velmora::desktop::AttachmentOpener;
using velmora::desktop::CommandBarFile;

void Write(const fs::path& file, std::string_view text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// A message file with a text body, the given extra MIME parts after it.
fs::path MessageFile(const fs::path& directory, const std::vector<std::string>& parts) {
    std::string text = "From: a@example.org\nSubject: Parts\nMIME-Version: 1.0\n"
                       "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nbody\n";
    for (const auto& part : parts) text += "--b\n" + part + "\n";
    text += "--b--\n";
    const fs::path file = directory / "cur" / "1700000000.M1P1.host:2,S";
    Write(file, text);
    return file;
}

std::string FilePart(std::string_view name, std::string_view base64) {
    return "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + std::string(name) +
           "\"\nContent-Transfer-Encoding: base64\n\n" + std::string(base64) + "\n";
}

std::string LinkPart(const fs::path& target) {
    return "Content-Type: message/external-body; access-type=local-file; name=\"" + target.string() +
           "\"\nContent-Disposition: attachment; filename=\"" + target.filename().string() +
           "\"\n\nContent-Type: application/octet-stream\n";
}

std::string PngBase64() {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes.toBase64().toStdString();
}

sim::SavedCommandBars SomeBars() {
    sim::ButtonState button;
    button.Caption = u"Velmora";
    button.Tag = u"Tag \"quoted\"";
    button.TooltipText = u"Tip – ünïcode";
    button.Priority = 1;
    button.Visible = false;
    button.Style = Office::msoButtonIconAndCaption;
    button.Face = {'B', 'M', 0, 1, 2, 255};
    button.FaceFrom = sim::FaceSource::Pasted;
    return {{u"Standard", Office::msoBarTop, Office::msoBarNoProtection, true, false, {}},
            {u"Context Menu", Office::msoBarPopup, Office::msoBarNoProtection, false, false, {button}},
            {u"Mine", Office::msoBarLeft, Office::msoBarNoCustomize, true, false, {button, button}}};
}

TEST(CommandBarFileTest, KeepsEveryBarAndButtonButTheControlsOfPopups) {
    testing_support::TempDirectory temp;
    const CommandBarFile file(QString::fromStdString((temp.Path() / "bars.json").string()));
    EXPECT_FALSE(file.Load());
    ASSERT_TRUE(file.Save(SomeBars()));
    const auto loaded = file.Load();
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->size(), 3u);
    EXPECT_TRUE((*loaded)[1].Controls.empty());
    const sim::BarState& mine = (*loaded)[2];
    EXPECT_EQ(mine.Name, u"Mine");
    EXPECT_EQ(mine.Position, Office::msoBarLeft);
    EXPECT_EQ(mine.Protection, Office::msoBarNoCustomize);
    ASSERT_EQ(mine.Controls.size(), 2u);
    const sim::ButtonState& button = mine.Controls[0];
    const sim::SavedCommandBars saved = SomeBars();
    const sim::ButtonState& wanted = saved[2].Controls[0];
    EXPECT_EQ(button.Caption, wanted.Caption);
    EXPECT_EQ(button.Tag, wanted.Tag);
    EXPECT_EQ(button.TooltipText, wanted.TooltipText);
    EXPECT_EQ(button.Priority, 1);
    EXPECT_FALSE(button.Visible);
    EXPECT_EQ(button.Style, wanted.Style);
    EXPECT_EQ(button.Face, wanted.Face);
    EXPECT_EQ(button.FaceFrom, sim::FaceSource::Pasted);
}

TEST(CommandBarFileTest, AFileThatIsNotTheHostsGivesNothing) {
    testing_support::TempDirectory temp;
    const fs::path path = temp.Path() / "bars.json";
    const CommandBarFile file(QString::fromStdString(path.string()));
    for (const std::string text : {"", "[]", "{\"format\": 2, \"bars\": []}", "{\"format\": 1, \"bars\": [{}]}",
                                   "{\"format\": 1, \"bars\": [{\"name\": \"x\"}"}) {
        Write(path, text);
        EXPECT_FALSE(file.Load()) << text;
    }
    fs::resize_file(path, 17 * 1024 * 1024);
    EXPECT_FALSE(file.Load());
    // Saving over it replaces it whole.
    ASSERT_TRUE(file.Save(SomeBars()));
    EXPECT_TRUE(file.Load());
    EXPECT_FALSE(CommandBarFile(QString::fromStdString((temp.Path() / "missing" / "bars.json").string())).Save({}));
}

TEST(SafeBrowserTest, ShowsOnlyPicturesOfTheMessageAndFollowsOnlyWebAndMailLinks) {
    testing_support::TempDirectory temp;
    const fs::path file = MessageFile(temp.Path(), {"Content-Type: image/png\nContent-ID: <pic@x>\n"
                                                    "Content-Transfer-Encoding: base64\n\n" + PngBase64()});
    mailstore::MessagePreview preview(file);
    velmora::desktop::SafeBrowser browser;
    browser.SetMessage(&preview);
    browser.ShowHtml("<html><head><link rel=stylesheet href=\"http://tracker.invalid/s.css\"></head><body>"
                     "<img src=\"http://tracker.invalid/p.png\"><img src=\"file:///etc/hostname\">"
                     "<img src=\"cid:PIC@x\"><div style=\"background-image:url(https://tracker.invalid/b)\">x</div>"
                     "</body></html>");
    browser.document()->adjustSize();
    const QList<QUrl> requested = browser.Requested();
    EXPECT_TRUE(requested.contains(QUrl("http://tracker.invalid/p.png")));
    EXPECT_TRUE(requested.contains(QUrl("cid:PIC@x")));
    for (const QUrl& url : requested) {
        const QVariant loaded = browser.loadResource(QTextDocument::ImageResource, url);
        EXPECT_EQ(loaded.isValid(), url.scheme() == "cid") << url.toString().toStdString();
    }
    EXPECT_FALSE(browser.loadResource(QTextDocument::StyleSheetResource, QUrl("cid:pic@x")).isValid());
    const QImage picture = browser.loadResource(QTextDocument::ImageResource, QUrl("cid:pic@x")).value<QImage>();
    EXPECT_EQ(picture.size(), QSize(2, 2));

    qt_test::UrlRecorder opened({"file", "http", "https", "mailto", "smb"});
    for (const char* address : {"file:///etc/passwd", "smb://server/share", "https://example.org/a", "mailto:a@b.c",
                                "javascript:alert(1)"}) {
        emit browser.anchorClicked(QUrl(address));
    }
    EXPECT_EQ(opened.opened, (QList<QUrl>{QUrl("https://example.org/a"), QUrl("mailto:a@b.c")}));
}

TEST(AttachmentOpenerTest, NamesFromMessagesLoseTheirPathsControlsAndLeadingDots) {
    EXPECT_EQ(AttachmentOpener::SafeFileName("../../etc/passwd"), "passwd");
    EXPECT_EQ(AttachmentOpener::SafeFileName("..\\..\\boot.ini"), "boot.ini");
    EXPECT_EQ(AttachmentOpener::SafeFileName(".bashrc"), "bashrc");
    EXPECT_EQ(AttachmentOpener::SafeFileName("a\x01" "b.txt"), "a_b.txt");
    EXPECT_EQ(AttachmentOpener::SafeFileName(QString::fromUtf16(u"invoice\u202Efdp.exe")),
              QString::fromUtf16(u"invoice_fdp.exe"));
    EXPECT_EQ(AttachmentOpener::SafeFileName("dir/"), "attachment");
    EXPECT_EQ(AttachmentOpener::SafeFileName("..."), "attachment");
    EXPECT_FALSE(AttachmentOpener::MayOpen("setup.DESKTOP"));
    EXPECT_FALSE(AttachmentOpener::MayOpen("run.sh"));
    EXPECT_FALSE(AttachmentOpener::MayOpen("invoice.pdf.exe"));
    EXPECT_TRUE(AttachmentOpener::MayOpen("invoice.pdf"));
    EXPECT_TRUE(AttachmentOpener::MayOpen("README"));
}

class Opening : public ::testing::Test {
protected:
    Opening() : files(posix::DriveMap{}), opener(files) { drives.Map(u'C', temp.Path() / "c"); }

    testing_support::TempDirectory temp;
    posix::DriveMap drives;
    posix::WindowsFileSystem files;
    AttachmentOpener opener;
    qt_test::UrlRecorder opened{{"file"}};
};

TEST_F(Opening, AnAttachmentOpensFromAPrivateDirectoryUnlessItCouldRun) {
    const fs::path file =
        MessageFile(temp.Path(), {FilePart("../notes.txt", "aGVsbG8="), FilePart("go.desktop", "eA==")});
    mailstore::MessagePreview preview(file);
    EXPECT_EQ(opener.OpenAttachment(preview, 0), "");
    ASSERT_EQ(opened.opened.size(), 1);
    const fs::path written = QFile::encodeName(opened.opened[0].toLocalFile()).toStdString();
    EXPECT_EQ(written.filename(), "notes.txt");
    EXPECT_EQ(fs::status(written.parent_path().parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    std::ifstream in(written);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "hello");
    // The same name again goes into a directory of its own.
    EXPECT_EQ(opener.OpenAttachment(preview, 0), "");
    ASSERT_EQ(opened.opened.size(), 2);
    EXPECT_NE(opened.opened[1], opened.opened[0]);

    EXPECT_EQ(opener.OpenAttachment(preview, 1), "go.desktop could be a program; it is not opened.");
    EXPECT_EQ(opened.opened.size(), 2);
}

TEST_F(Opening, ALinkedFileOpensOnlyWhenItIsThereAndCannotRun) {
    const fs::path document = temp.Path() / "linked" / "plan.pdf";
    const fs::path program = temp.Path() / "linked" / "plan";
    Write(document, "%PDF");
    Write(program, "#!/bin/sh\n");
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
    const fs::path file = MessageFile(temp.Path(), {LinkPart(document), LinkPart(program),
                                                    LinkPart(temp.Path() / "linked" / "gone.pdf"),
                                                    LinkPart(temp.Path() / "linked")});
    mailstore::MessagePreview preview(file);
    ASSERT_EQ(preview.Attachments().size(), 4u);
    EXPECT_EQ(opener.OpenAttachment(preview, 0), "");
    EXPECT_EQ(opened.opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(document.string()))});
    EXPECT_TRUE(opener.OpenAttachment(preview, 1).endsWith("could be a program; it is not opened."));
    EXPECT_TRUE(opener.OpenAttachment(preview, 2).endsWith("is not there."));
    EXPECT_TRUE(opener.OpenAttachment(preview, 3).endsWith("is not there."));
    EXPECT_EQ(opened.opened.size(), 1);
}

TEST(DrivesSettingTest, SpellsTheMapAsTheAddInReadsItBackAndRefusesWhatItCannotCarry) {
    posix::DriveMap drives;
    drives.Map(u'D', "/srv/d d");
    drives.Map(u'Z', "/");
    const auto setting = velmora::desktop::DrivesSetting(drives);
    ASSERT_TRUE(setting);
    EXPECT_EQ(*setting, "D=/srv/d d;Z=/");
    setenv("VELMORA_DRIVES", setting->c_str(), 1);
    const posix::DriveMap read = posix::DriveMap::FromEnvironment();
    unsetenv("VELMORA_DRIVES");
    EXPECT_EQ(read.Root(u'D'), drives.Root(u'D'));
    EXPECT_EQ(read.Root(u'Z'), drives.Root(u'Z'));
    EXPECT_FALSE(read.Root(u'C'));
    drives.Map(u'E', "/srv/a;C=/etc");
    EXPECT_FALSE(velmora::desktop::DrivesSetting(drives));
}

// A run as the add-in makes one: work between pumps of the event queue; a
// quit request taken from the queue stops it.
int RunUntilTold(qtui::QtMessagePump& pump, int steps, const std::function<void(int)>& atStep) {
    for (int step = 0; step < steps; ++step) {
        atStep(step);
        if (pump.ProcessPendingEvents()) return step;
    }
    return steps;
}

TEST(AfterRunsTest, ActionsWaitUntilARunHasStoppedAndTheRunIsToldToStop) {
    velmora::desktop::AfterRuns afterRuns;
    std::vector<std::string> happened;
    afterRuns.Then([&] { happened.push_back("idle action"); });
    EXPECT_EQ(happened, std::vector<std::string>{"idle action"});

    qtui::QtMessagePump pump;
    // The user's wish comes as an event that the run's pump serves.
    const int stoppedAt = RunUntilTold(pump, 1000, [&](int step) {
        if (step == 3) QTimer::singleShot(0, [&] { afterRuns.Then([&] { happened.push_back("after the run"); }); });
        if (step > 3) happened.push_back("still running");
    });
    EXPECT_EQ(stoppedAt, 3);
    EXPECT_EQ(happened, std::vector<std::string>{"idle action"});
    EXPECT_TRUE(afterRuns.Waiting());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !afterRuns.Waiting(); }, 2000));
    EXPECT_EQ(happened, (std::vector<std::string>{"idle action", "after the run"}));
}

TEST(AfterRunsTest, AQuitRequestThatNoRunTakesStillEndsTheProgram) {
    velmora::desktop::AfterRuns afterRuns;
    bool quit = false;
    QTimer::singleShot(0, [&] {
        afterRuns.Then([&] {
            quit = true;
            QCoreApplication::exit(7);
        });
    });
    EXPECT_EQ(QCoreApplication::exec(), 7);
    EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace host_test
