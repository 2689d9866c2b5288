// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include "typedtext.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

using instancemessage::Command;

struct CommandOption
{
    const char *name;
    Command command;
    const char *description;
};

const CommandOption commandOptions[] = {
    {"toggle", Command::Toggle, QT_TRANSLATE_NOOP("CommandLine", "Show the panel, or hide it.")},
    {"show", Command::Show, QT_TRANSLATE_NOOP("CommandLine", "Show the panel.")},
    {"hide", Command::Hide, QT_TRANSLATE_NOOP("CommandLine", "Hide the panel.")},
    {"settings", Command::Settings, QT_TRANSLATE_NOOP("CommandLine", "Open the settings.")},
    {"quit", Command::Quit, QT_TRANSLATE_NOOP("CommandLine", "Save the settings and end Ondrel.")},
};

// The options that QGuiApplication, QApplication and the platform plugins read; the
// parser must let them through, with their values, to the application object.
const char *const qtOptionsWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "qwindowgeometry",
    "qwindowicon",
    "qwindowtitle",
    "session",
    "display",
    "geometry",
    "name",
    "title",
    "visual",
    "style",
    "stylesheet",
    "qmljsdebugger",
};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words; reading every word as one lets them
    // through and makes -toggle work as well as --toggle.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "Ondrel types the characters that have no key on your keyboard. "
                       "Started again, it passes its command to the Ondrel that runs already."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("CommandLine", "Show this help."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        QCoreApplication::translate("CommandLine", "Show the version."));
    parser.addOption(help);
    parser.addOption(version);
    for (const CommandOption &option : commandOptions)
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(option.name),
                               QCoreApplication::translate("CommandLine", option.description)));
    const QCommandLineOption type(
        QStringLiteral("type"),
        QCoreApplication::translate("CommandLine",
                                    "Type TEXT into the focused application: the characters "
                                    "themselves, or code points such as U+2554 U+2550."),
        QCoreApplication::translate("CommandLine", "TEXT"));
    parser.addOption(type);
    for (const char *name : qtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : qtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Fail;
        result.text = parser.errorText() + QLatin1Char('\n') + parser.helpText();
        return result;
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QStringLiteral("Ondrel %1\n").arg(QCoreApplication::applicationVersion());
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Fail;
        result.text = QCoreApplication::translate("CommandLine", "Unexpected argument '%1'.")
                          .arg(parser.positionalArguments().first()) +
                      QLatin1Char('\n') + parser.helpText();
        return result;
    }
    QStringList named;
    for (const CommandOption &option : commandOptions) {
        if (parser.isSet(QString::fromLatin1(option.name))) {
            named << QStringLiteral("--") + QString::fromLatin1(option.name);
            result.command = option.command;
        }
    }
    if (parser.isSet(type)) {
        named << QStringLiteral("--type");
        result.command = Command::Type;
    }
    if (named.size() > 1) {
        result.action = CommandLine::Action::Fail;
        result.text = QCoreApplication::translate("CommandLine", "Give one of %1, not several.")
                          .arg(named.join(QStringLiteral(", "))) +
                      QLatin1Char('\n') + parser.helpText();
        return result;
    }
    if (result.command == Command::Type) {
        const TypedText text = TypedText::fromArgument(parser.value(type));
        if (!text.isValid()) {
            result.action = CommandLine::Action::Fail;
            result.text = QStringLiteral("--type: ") + text.errorString();
            return result;
        }
        result.typed = text.characters();
    }
    result.commandGiven = !named.isEmpty();
    result.platform = parser.isSet(QStringLiteral("platform"))
                          ? parser.value(QStringLiteral("platform"))
                          : qEnvironmentVariable("QT_QPA_PLATFORM");
    return result;
}
