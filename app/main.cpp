#include "ConnectAsForm1.h"
#include "Preferences.h"
#include "TForm1.h"
#include "app/Version.h"
#include "inventory/InventoryForm1.h"
#include "journal/ChangeJournal.h"
#include "platform/smb/SmbNetwork.h"
#include "shares/Messages.h"
#include "ui/MessageBoxes.h"
#include "waiting/CallDispatcher.h"
#include "waiting/DispatchedServices.h"
#include "waiting/UiThreadCredentials.h"
#include "waiting/WaitPanel.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QSettings>

#include <exception>
#include <memory>

namespace {

// The icon drawn for the desktop, in every size the build made; one for all windows.
QIcon applicationIcon() {
    QIcon icon;
    QDirIterator pictures(QStringLiteral(":/icons"), {QStringLiteral("corvane.png")}, QDir::Files,
                          QDirIterator::Subdirectories);
    while (pictures.hasNext())
        icon.addFile(pictures.next());
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    // The inventory window scans many servers at once, each on a thread of its own.
    corvane::smb::enableConcurrentNetworks();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(corvane::version::productName));
    QApplication::setApplicationVersion(QString::fromUtf8(corvane::version::fileVersion));
    QApplication::setOrganizationName(QString::fromUtf8(corvane::version::organization));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(corvane::version::desktopName));
    QApplication::setWindowIcon(applicationIcon());

    corvane::ConnectAsForm1 connectAs;
    corvane::ConnectAsCredentials askUser(connectAs);
    // Every network call runs on the dispatcher's worker, which alone touches the network from
    // its creation to its end; the window waits for each call without freezing.
    corvane::CallDispatcher dispatcher;
    corvane::UiThreadCredentials credentials(dispatcher, askUser);
    std::unique_ptr<corvane::smb::SmbNetwork> network;
    corvane::smb::SmbOptions options;
    {
        QSettings settings;
        corvane::applyPreferences(corvane::loadPreferences(settings), options);
    }
    dispatcher.runOnWorker(
        [&] { network = std::make_unique<corvane::smb::SmbNetwork>(credentials, options); });
    dispatcher.setCanceller(network.get());
    corvane::DispatchedServices services(dispatcher, *network, *network, *network);
    corvane::DispatchedSessions sessions(dispatcher, *network);
    corvane::WaitIndicator waits(dispatcher);
    corvane::QtMessageBoxes messages;
    corvane::ChangeJournal journal(corvane::ChangeJournal::defaultDirectory());

    try {
        corvane::TForm1 form(services, services, services, messages);
        form.setSessionService(&sessions);
        form.setChangeJournal(&journal);
        form.setLogonCancels([&askUser] { return askUser.cancels(); });
        form.setCallBound(options.timeout);
        form.setWalkProgress(&dispatcher);
        QObject::connect(&dispatcher, &corvane::CallDispatcher::waitCancelled, &form,
                         [&form](const QString& work) {
                             form.showStatus(corvane::shares_text::waitCancelled(work));
                         });
        QObject::connect(&dispatcher, &corvane::CallDispatcher::walkStopped, &form,
                         [&form](const QString& work, int done, int total) {
                             form.showStatus(corvane::shares_text::walkStopped(work, done, total));
                         });
        form.setPreferencesHandler([&](const corvane::Preferences& chosen) {
            corvane::smb::SmbOptions changed;
            corvane::applyPreferences(chosen, changed);
            dispatcher.runOnWorker(
                [&] { network->setSecurity(changed.security, changed.unsignedAllowed); });
        });
        std::unique_ptr<corvane::InventoryForm1> inventory;
        form.setInventoryHandler([&] {
            if (!inventory) {
                inventory = std::make_unique<corvane::InventoryForm1>(askUser, options);
                QObject::connect(inventory.get(), &corvane::InventoryForm1::openShare, &form,
                                 &corvane::TForm1::openShare);
            }
            corvane::smb::SmbOptions current;
            {
                QSettings settings;
                corvane::applyPreferences(corvane::loadPreferences(settings), current);
            }
            inventory->setOptions(current);
            inventory->show();
            inventory->raise();
        });
        waits.setHome(&form);
        if (form.constructedOk()) {
            form.show();
            app.exec();
        }
    } catch (const std::exception& e) {
        messages.show(nullptr, QApplication::applicationName(), QString::fromUtf8(e.what()),
                      corvane::MessageBoxes::Icon::Error, corvane::MessageBoxes::Buttons::Ok);
    }
    dispatcher.setCanceller(nullptr);
    dispatcher.runOnWorker([&] { network.reset(); });
    return 0;
}
