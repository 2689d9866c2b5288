// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/applog.h"
#include "app/commandline.h"
#include "app/instanceserver.h"
#include "app/singleinstance.h"
#include "app/translations.h"
#include "app/traycontroller.h"
#include "platform/services.h"
#include "platform/session.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <optional>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stream);
}

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("ondrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
}

} // namespace

int main(int argc, char *argv[])
{
    std::optional<SingleInstance> instance; // holds its lock until the end
    CommandLine line;
    platform::WindowSystem windowSystem;
    {
        // Everything up to here works without a display: the command line, and
        // the hand-over to an Ondrel that runs already.
        QCoreApplication core(argc, argv);
        setIdentity();
        const Translations coreTranslations;
        line = parseCommandLine(QCoreApplication::arguments());
        switch (line.action) {
        case CommandLine::Action::ShowHelp:
        case CommandLine::Action::ShowVersion:
            print(stdout, line.text);
            return 0;
        case CommandLine::Action::Fail:
            print(stderr, line.text);
            return 2;
        case CommandLine::Action::Run:
            break;
        }

        const platform::InstanceName name = platform::instanceName();
        instance.emplace(QFile::decodeName(name.lockFile.c_str()),
                         QFile::decodeName(name.server.c_str()));
        SingleInstance::Role role = instance->claim();
        if (role == SingleInstance::Role::Later) {
            switch (instance->deliver({line.command, line.typed})) {
            case SingleInstance::Delivery::Done:
                return 0;
            case SingleInstance::Delivery::Unheard:
                // A lock whose holder never listens is no running Ondrel's: it was
                // left by one that was killed, and its process id is now another's,
                // or its holder has ended since.
                if (instance->takeOver()) {
                    qCInfo(lcApp) << "Took over the lock of an Ondrel that no longer runs";
                    role = SingleInstance::Role::First;
                    break;
                }
                // The file is held open: by an Ondrel that is slow to start, or by
                // another start that took the lock over first. Either answers soon.
                if (instance->deliver({line.command, line.typed}) == SingleInstance::Delivery::Done)
                    return 0;
                print(stderr, QCoreApplication::translate("main", "Ondrel is not responding"));
                return 1;
            case SingleInstance::Delivery::NotResponding:
                print(stderr, QCoreApplication::translate("main", "Ondrel is not responding"));
                return 1;
            case SingleInstance::Delivery::Refused:
                print(stderr, QCoreApplication::translate(
                                  "main", "The running Ondrel refused the command: %1")
                                  .arg(instance->errorString()));
                return 1;
            }
        }
        if (role == SingleInstance::Role::Unknown) {
            print(stderr, instance->errorString());
            return 1;
        }
        if (line.command == instancemessage::Command::Hide ||
            line.command == instancemessage::Command::Quit) {
            print(stderr, QCoreApplication::translate("main", "Ondrel is not running"));
            return 1;
        }
        if (line.platform.isEmpty() && !platform::hasGraphicalSession()) {
            print(stderr, QCoreApplication::translate("main", "Ondrel needs a graphical session"));
            return 1;
        }
        windowSystem = platform::chooseWindowSystem(line.platform.toStdString());
    }

    QApplication application(argc, argv);
    setIdentity();
    // Listening before the slow part of the start, the platform's services and the
    // windows, lets a later start connect at once and wait for its answer, rather
    // than give up on an Ondrel that is still starting on a busy machine. Commands
    // are read from the event loop, so none is read before the controller is there.
    InstanceServer server;
    if (!server.listen(instance->serverName()))
        qCWarning(lcApp).noquote()
            << "Later starts cannot reach this Ondrel:" << server.errorString();
    const Translations translations;
    const auto services = platform::createNativeServices(windowSystem);
    int result = 0;
    {
        TrayController controller(*services);
        QObject::connect(&server, &InstanceServer::messageReceived, &controller,
                         &TrayController::carryOut);
        if (line.commandGiven)
            controller.carryOut({line.command, line.typed});
        result = QApplication::exec();
    }
    return result;
}
