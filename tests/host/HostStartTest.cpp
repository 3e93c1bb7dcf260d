// The host's start and the add-in's life in it: the registered add-in is
// loaded through the registry as the mail client loads it, draws its bar
// and context entry, keeps them from one start to the next, and is
// unloaded and loaded again from the add-ins dialog.

#include <dlfcn.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "HostFixture.h"
#include "base/Utf16.h"
#include "qt/Strings.h"
#include "posix/registry/SqliteRegistry.h"
#include "sim/CommandBars.h"

namespace host_test {
namespace {

using velmora::desktop::HostSession;

constexpr char kToolBar[] = "VelmoraCommandBar";

QJsonArray SavedBars(const fs::path& file) {
    QFile saved(QString::fromStdString(file.string()));
    EXPECT_TRUE(saved.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(saved.readAll()).object()["bars"].toArray();
}

QJsonObject SavedBar(const fs::path& file, const QString& name) {
    for (const QJsonValue& bar : SavedBars(file)) {
        if (bar.toObject()["name"].toString() == name) return bar.toObject();
    }
    return {};
}

sim::CommandBarButton& MainButton(HostSession& host) {
    return host.Box().CommandBars().Find(u"VelmoraCommandBar")->ControlAt(1);
}

bool LibraryLoaded() {
    void* handle = dlopen(VELMORA_ADDIN_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) dlclose(handle);
    return handle != nullptr;
}

class HostStart : public HostTest {};

TEST_F(HostStart, TheRegisteredAddInDrawsItsButtonAndContextEntryThatOpenTheDialogOnWhatIsShown) {
    const fs::path first = Messages(Folder("Inbox")).front();
    const int status = RunHost([&](HostSession& host) {
        const auto addIns = host.Loader().AddIns();
        ASSERT_EQ(addIns.size(), 1u);
        EXPECT_EQ(addIns[0].ProgId, u"VelmoraAddIn.CVelmoraAddIn");
        EXPECT_EQ(addIns[0].State, sim::AddInState::Connected);
        EXPECT_EQ(addIns[0].LibraryPath, velmora::FromUtf8(VELMORA_ADDIN_LIBRARY));

        auto& window = host.Window();
        QAction* button = BarAction(window, kToolBar, "Velmora");
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->toolTip(), "Remove or save attachments");

        ASSERT_TRUE(window.ShowFolder(Folder("Inbox")));
        window.SelectFiles({first});
        EXPECT_TRUE(ContextMenuTexts(window).contains("Velmora"));
        // The menu is made anew each time: the entry is there once.
        EXPECT_EQ(ContextMenuTexts(window).count("Velmora"), 1);

        button->trigger();
        QWidget* dialog = Window("frmVelmora");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Child<QRadioButton>(dialog, "rbtSelectedFolder")->text(), "Selected folder: Inbox");
        const std::u16string subject = mailstore::Summarize(first).Subject;
        EXPECT_EQ(Child<QRadioButton>(dialog, "rbtSelectedMessage")->text(),
                  qtui::ToQt(u"Selected message: " + subject));
        Child<QAbstractButton>(dialog, "btnCancel")->click();
        EXPECT_EQ(Window("frmVelmora"), nullptr);
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(LibraryLoaded());

    const QJsonObject bar = SavedBar(BarFile(), kToolBar);
    ASSERT_EQ(bar["controls"].toArray().size(), 1);
    EXPECT_EQ(bar["controls"][0]["caption"].toString(), "Velmora");
    EXPECT_FALSE(bar["controls"][0]["face"].toString().isEmpty());
    EXPECT_TRUE(SavedBar(BarFile(), "Context Menu")["controls"].toArray().isEmpty());
}

TEST_F(HostStart, TheBarAndItsButtonAreKeptFromOneStartToTheNextAndStillWork) {
    RunHost([](HostSession&) {});
    const QJsonArray before = SavedBars(BarFile());
    RunHost([&](HostSession& host) {
        int bars = 0;
        for (const auto& saved : host.Box().CommandBars().Bars()) bars += saved->Data().Name == u"VelmoraCommandBar";
        EXPECT_EQ(bars, 1);
        QAction* button = BarAction(host.Window(), kToolBar, "Velmora");
        ASSERT_NE(button, nullptr);
        // An old button keeps the face it was given when it was made.
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(MainButton(host).State().FaceFrom, sim::FaceSource::Picture);
        button->trigger();
        QWidget* dialog = Window("frmVelmora");
        ASSERT_NE(dialog, nullptr);
        Child<QAbstractButton>(dialog, "btnCancel")->click();
    });
    EXPECT_EQ(SavedBars(BarFile()), before);
}

TEST_F(HostStart, TheAddInsDialogUnloadsTheAddInAsAUserDoesAndLoadsItAgain) {
    RunHost([&](HostSession& host) {
        auto& window = host.Window();
        ASSERT_TRUE(window.ShowFolder(Folder("Inbox")));
        window.SelectFiles({Messages(Folder("Inbox")).front()});
        QTimer::singleShot(0, [&] {
            velmora::desktop::AddInsDialog* dialog = host.OpenAddInsDialog();
            ASSERT_NE(dialog, nullptr);
            const Finally closeDialog([dialog] { dialog->reject(); });
            QTableWidget& table = dialog->Table();
            ASSERT_EQ(table.rowCount(), 1);
            EXPECT_EQ(table.item(0, 2)->text(), "Loaded");
            auto* unload = Child<QAbstractButton>(dialog, "unload");
            auto* load = Child<QAbstractButton>(dialog, "load");
            EXPECT_FALSE(load->isEnabled());

            unload->click();
            EXPECT_EQ(table.item(0, 2)->text(), "Unloaded");
            EXPECT_EQ(host.Loader().AddIns()[0].State, sim::AddInState::Disconnected);
            EXPECT_FALSE(LibraryLoaded());
            // The bar stays in the host; its button no longer reaches anybody.
            QAction* button = BarAction(window, kToolBar, "Velmora");
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(MainButton(host).ClickSinkCount(), 0u);
            button->trigger();
            EXPECT_EQ(Window("frmVelmora"), nullptr);
            EXPECT_FALSE(ContextMenuTexts(window).contains("Velmora"));

            load->click();
            EXPECT_EQ(table.item(0, 2)->text(), "Loaded");
            EXPECT_EQ(MainButton(host).ClickSinkCount(), 1u);
            EXPECT_TRUE(ContextMenuTexts(window).contains("Velmora"));
            BarAction(window, kToolBar, "Velmora")->trigger();
            QWidget* main = Window("frmVelmora");
            ASSERT_NE(main, nullptr);
            Child<QAbstractButton>(main, "btnCancel")->click();
        });
        host.ShowAddIns();
        EXPECT_EQ(host.OpenAddInsDialog(), nullptr);
    });
}

TEST_F(HostStart, AnAddInNotMeantToLoadAtStartIsListedAndLoadsOnlyWhenTheUserAsks) {
    {
        posix::SqliteRegistry hives(posix::HiveFiles::FromEnvironment());
        ASSERT_EQ(hives.SetValue(host::RegistryRoot::LocalMachine,
                                 u"Software\\Microsoft\\Office\\Outlook\\AddIns\\VelmoraAddIn.CVelmoraAddIn",
                                 u"LoadBehavior", host::RegistryValue::OfDword(2)),
                  ERROR_SUCCESS);
    }
    RunHost([](HostSession& host) {
        EXPECT_TRUE(host.Loader().AddIns().empty());
        EXPECT_EQ(BarAction(host.Window(), kToolBar, "Velmora"), nullptr);
        QTimer::singleShot(0, [&] {
            velmora::desktop::AddInsDialog* dialog = host.OpenAddInsDialog();
            ASSERT_NE(dialog, nullptr);
            const Finally closeDialog([dialog] { dialog->reject(); });
            ASSERT_EQ(dialog->Table().rowCount(), 1);
            EXPECT_EQ(dialog->Table().item(0, 2)->text(), "Not loaded");
            Child<QAbstractButton>(dialog, "load")->click();
            EXPECT_EQ(dialog->Table().item(0, 2)->text(), "Loaded");
        });
        host.ShowAddIns();
        // Connected after the start: OnStartupComplete came with OnConnection.
        EXPECT_NE(BarAction(host.Window(), kToolBar, "Velmora"), nullptr);
    });
}

}  // namespace
}  // namespace host_test
