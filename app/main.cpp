#include "ConnectAsForm1.h"
#include "TForm1.h"
#include "platform/smb/SmbNetwork.h"
#include "shares/MessageBoxes.h"
#include "waiting/CallDispatcher.h"
#include "waiting/DispatchedServices.h"
#include "waiting/UiThreadCredentials.h"
#include "waiting/WaitPanel.h"

#include <QApplication>

#include <exception>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.2.4"));
    QApplication::setOrganizationName(QStringLiteral("Qentis Software"));

    ConnectAsForm1 connectAs;
    ConnectAsCredentials askUser(connectAs);
    // Every network call runs on the dispatcher's worker, which alone touches the network from
    // its creation to its end; the window waits for each call without freezing.
    corvane::CallDispatcher dispatcher;
    corvane::UiThreadCredentials credentials(dispatcher, askUser);
    std::unique_ptr<corvane::smb::SmbNetwork> network;
    dispatcher.runOnWorker(
        [&] { network = std::make_unique<corvane::smb::SmbNetwork>(credentials); });
    dispatcher.setCanceller(dynamic_cast<corvane::CallCanceller*>(network.get()));
    corvane::DispatchedServices services(dispatcher, *network, *network, *network);
    corvane::WaitIndicator waits(dispatcher);
    corvane::QtMessageBoxes messages;

    try {
        corvane::TForm1 form(services, services, services, messages);
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
