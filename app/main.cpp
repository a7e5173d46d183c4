#include "ConnectAsForm1.h"
#include "TForm1.h"
#include "app/Version.h"
#include "platform/smb/SmbNetwork.h"
#include "shares/MessageBoxes.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include <exception>

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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(corvane::version::productName));
    QApplication::setApplicationVersion(QString::fromUtf8(corvane::version::fileVersion));
    QApplication::setOrganizationName(QString::fromUtf8(corvane::version::organization));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(corvane::version::desktopName));
    QApplication::setWindowIcon(applicationIcon());

    ConnectAsForm1 connectAs;
    ConnectAsCredentials credentials(connectAs);
    corvane::smb::SmbNetwork network(credentials);
    corvane::QtMessageBoxes messages;

    try {
        corvane::TForm1 form(network, network, network, messages);
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
