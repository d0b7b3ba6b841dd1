// A Qt plugin for the install test of the Debian package. Loaded into the
// installed zelquin through QT_QPA_GENERIC_PLUGINS, it waits until the program
// shows its window and then closes it, as the window's close button does, so
// that the test sees the program end by itself and can check its exit status.
#include <QGenericPlugin>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>

class CloseWindowPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "close_window_plugin.json")

  public:
    QObject* create(const QString&, const QString&) override {
        // Qt deletes the returned object when the application ends.
        auto* poll = new QTimer;
        poll->setInterval(100);
        QObject::connect(poll, &QTimer::timeout, poll, [poll] {
            for (QWindow* window : QGuiApplication::topLevelWindows()) {
                if (!window->isVisible()) continue;
                poll->stop();
                std::fprintf(stderr, "close-window plugin: closing \"%s\"\n",
                             window->title().toUtf8().constData());
                window->close();
                return;
            }
        });
        poll->start();
        return poll;
    }
};

#include "close_window_plugin.moc"
