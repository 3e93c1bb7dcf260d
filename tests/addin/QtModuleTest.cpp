// The shared library in a desktop host, which runs a QApplication: its
// windows are the Qt ones, in the host's own event loop.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "sim/AddInLoader.h"
#include "sim/OutlookBuilder.h"

namespace {

constexpr char kLibrary[] = VELMORA_ADDIN_LIBRARY;

QWidget* VisibleWindow(const QString& title) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == title) return window;
    }
    return nullptr;
}

// Clicks the button of that text in each message box that comes up.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QString buttonText) : buttonText_(std::move(buttonText)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            texts_.append(box->text());
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == buttonText_) return button->click();
            }
            box->reject();
        });
        timer_.start(10);
    }
    const QStringList& Texts() const { return texts_; }

private:
    QString buttonText_;
    QTimer timer_;
    QStringList texts_;
};

class QtModuleTest : public ::testing::Test {
protected:
    QtModuleTest() {
        testing_support::InstallMapiProvider(platform.Registry());
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("VELMORA_USER_REGISTRY", platform.Hives().user.c_str(), 1);
        setenv("VELMORA_MACHINE_REGISTRY", platform.Hives().machine.c_str(), 1);
        const std::string drives = "C=" + platform.DrivePath(u'C').string() + ";D=" + platform.DrivePath(u'D').string();
        setenv("VELMORA_DRIVES", drives.c_str(), 1);
        application = std::make_unique<QApplication>(argc, argv);
    }
    ~QtModuleTest() override {
        application.reset();
        for (const char* name : {"VELMORA_USER_REGISTRY", "VELMORA_MACHINE_REGISTRY", "VELMORA_DRIVES"}) unsetenv(name);
    }

    // The library's own registration, through its export.
    HRESULT Register() {
        void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return E_FAIL;
        auto registerServer = reinterpret_cast<HRESULT (*)()>(dlsym(library, "DllRegisterServer"));
        const HRESULT result = registerServer != nullptr ? registerServer() : E_FAIL;
        dlclose(library);
        return result;
    }

    testing_support::TestPlatform platform;
    sim::OutlookBuilder b;
    int argc = 1;
    char name[16] = "addin_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
};

TEST_F(QtModuleTest, TheButtonOpensTheQtDialogAndTheSendGuardAsksInAQtBox) {
    ASSERT_EQ(Register(), S_OK);
    b.MainExplorer().ShowFolder(&b.Store(u"Personal Folders").Folder(u"Inbox"));
    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(u"C:\\Attachments\\report.pdf");
    {
        sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(b.App().AsDispatch()));
        loader.Start();
        ASSERT_EQ(loader.AddIns().at(0).State, sim::AddInState::Connected);

        b.App().Bars().Find(u"VelmoraCommandBar")->ControlAt(1).Click();
        QWidget* dialog = VisibleWindow(QStringLiteral("Ondrel Velmora - v2.1"));
        ASSERT_NE(dialog, nullptr);

        BoxAnswerer answerer(QStringLiteral("Cancel"));
        EXPECT_FALSE(b.App().Send(mail));
        ASSERT_EQ(answerer.Texts().size(), 1);
        EXPECT_TRUE(answerer.Texts()[0].startsWith(QStringLiteral("The message you are trying to send")));

        loader.Shutdown();
        EXPECT_EQ(VisibleWindow(QStringLiteral("Ondrel Velmora - v2.1")), nullptr);
    }
    void* stillLoaded = dlopen(kLibrary, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(stillLoaded, nullptr);
    if (stillLoaded != nullptr) dlclose(stillLoaded);
}

}  // namespace
