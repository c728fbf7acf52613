#include "app/InfoSwitches.h"

QByteArray DesktopUsageText()
{
    return QByteArrayLiteral(
        "usage: zavelon [--home DIR] [URL]\n"
        "       zavelon --native-host [ARGS]\n"
        "       zavelon -REGSERVER | -UNREGSERVER\n"
        "       zavelon --help | --version\n"
        "\n"
        "Zavelon finds pictures on web sites and downloads them.\n"
        "\n"
        "  --home DIR     the home folder: settings store, image library and working\n"
        "                 folders (default: $ZAVELON_HOME, else ~/.local/share/Zavelon/)\n"
        "  URL            hands the address to Zavelon (the running one, else a new\n"
        "                 one), which opens the New Task window with it\n"
        "  --native-host  the browser extension's native-messaging host: passes the\n"
        "                 address the browser sends to Zavelon in the same way\n"
        "  -REGSERVER     writes the browser host manifests and the desktop entry,\n"
        "                 then ends (\"/\" for \"-\" and any letter case work too)\n"
        "  -UNREGSERVER   removes them, then ends\n"
        "  --help, -h     prints this text\n"
        "  --version      prints the version\n"
        "\n"
        "Tasks run without a display with zavelon-cli; see zavelon(1), zavelon-cli(1).\n");
}

std::optional<QByteArray> InfoSwitchText(const QStringList &arguments)
{
    // The browser starts the host with arguments of its own; they are never
    // a request for help.
    if (arguments.contains(QLatin1String("--native-host")))
        return std::nullopt;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--home")) {
            ++i; // its value is a folder name, whatever it looks like
            continue;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return DesktopUsageText();
        if (argument == QLatin1String("--version"))
            return QByteArrayLiteral("zavelon " ZAVELON_VERSION "\n");
    }
    return std::nullopt;
}
