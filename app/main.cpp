#include "ConnectAsForm1.h"
#include "TForm1.h"
#include "platform/smb/SmbNetwork.h"
#include "shares/MessageBoxes.h"

#include <QApplication>

#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.2.4"));
    QApplication::setOrganizationName(QStringLiteral("Qentis Software"));

    ConnectAsForm1 connectAs;
    ConnectAsCredentials credentials(connectAs);
    corvane::smb::SmbNetwork network(credentials);
    corvane::QtMessageBoxes messages;

    try {
        corvane::TForm1 form(network, network, network, messages);
        form.setSessionService(&network);
        if (!form.constructedOk())
            return 0;
        form.show();
        app.exec();
    } catch (const std::exception& e) {
        messages.show(nullptr, QApplication::applicationName(), QString::fromUtf8(e.what()),
                      corvane::MessageBoxes::Icon::Error, corvane::MessageBoxes::Buttons::Ok);
    }
    return 0;
}
