// zelquin on Linux: the Qt window. Besides Qt's standard options
// (QApplication takes them) the program knows --help and --version.
//
// Without a display it can reach, Qt cannot start its platform plugin and
// ends the process with an abort and a page of advice. The messages Qt gives
// while the application starts are held back instead: on that failure the
// program says in one line why there is no window and exits with status 1;
// otherwise they are passed on as they came.
#include <QApplication>
#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "qt_main_window.h"

namespace {

constexpr int kStatusNoDisplay = 1;
constexpr int kStatusOutputFailed = 1;

constexpr std::string_view kHelp =
    "usage: zelquin [QT-OPTION...]\n"
    "       zelquin -h | --help | --version\n"
    "\n"
    "Opens the Zelquin window. Type a bit pattern (such as 0x40490fdb) into the\n"
    "upper field and the Float field shows the number it encodes; type a number\n"
    "into the Float field and the upper field shows its pattern. \"Treat as\n"
    "'double'\" switches from binary32 to binary64. Details shows the bits and\n"
    "the exact value of the last conversion; clicking a bit flips it.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "Qt's standard options, such as -platform NAME, are taken too.\n"
    "\n"
    "Tab and Shift+Tab move between the controls, Space toggles the check box,\n"
    "Ctrl+Q or Ctrl+W closes the window.\n"
    "\n"
    "Exit status: 0 when the window is closed, 1 when there is no display to\n"
    "show it on.\n";

// Prints --help or --version; the status to exit with.
int PrintAndExit(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return 0;
    std::fprintf(stderr, "zelquin: cannot write standard output: %s\n", std::strerror(errno));
    return kStatusOutputFailed;
}

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

std::vector<HeldMessage> heldMessages;
bool platformChosen = false;  // by QT_QPA_PLATFORM or -platform

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Why the window cannot be shown, in one line.
std::string NoWindowReason(const QString& fatalText) {
    if (!platformChosen && !Set("DISPLAY") && !Set("WAYLAND_DISPLAY"))
        return "no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    // The platform plugin's own words say which display failed and how.
    QString reason = fatalText;
    for (const HeldMessage& message : heldMessages) {
        if (message.category.startsWith("qt.qpa") && message.type != QtDebugMsg) {
            reason = message.text;
            break;
        }
    }
    return "cannot open the window: " + reason.section(u'\n', 0, 0).trimmed().toStdString();
}

void HoldWhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        const std::string line = "zelquin: " + NoWindowReason(text) + "\n";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(kStatusNoDisplay);
    }
    heldMessages.push_back({type, QByteArray(context.category), text});
}

void PassOnHeldMessages() {
    for (const HeldMessage& message : heldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    heldMessages.clear();
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return PrintAndExit(kHelp);
        if (argument == "--version") return PrintAndExit("zelquin " ZELQUIN_VERSION "\n");
        if (argument == "-platform" || argument == "--platform") platformChosen = true;
    }
    if (Set("QT_QPA_PLATFORM")) platformChosen = true;

    qInstallMessageHandler(HoldWhileStarting);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    PassOnHeldMessages();

    // Lets a desktop match the window to zelquin.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelquin"));
    return zelquin::qt::RunMainWindow();
}
