// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kv-ruzevuv: the service tool's window program. It wires the real world (the
// Qt event loop, real message boxes, the per-user settings store, the port
// folder) and creates the program's windows; --demo adds a built-in virtual
// sensor as the first port so the whole window can be tried without hardware.

#include "common/qt_dialogs.h"
#include "common/scheduler.h"
#include "link/frame_log.h"
#include "link/port_map.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "sequencing/program.h"
#include "sequencing/startup_rules.h"
#include "shell/fms_parameter.h"
#include "shell/settings_store.h"
#include "sim/virtual_port.h"
#include "sim/virtual_sensor.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QPushButton>
#include <QTabWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPixmap>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

/// The real ports of the port folder, with the demo sensor listed first under a
/// number that no link of the folder uses.
class DemoDeviceProvider final : public DeviceProvider {
public:
    DemoDeviceProvider(VirtualSensor &sensor, Scheduler &scheduler, PortMap map)
        : m_real(std::move(map)), m_sensor(sensor), m_scheduler(scheduler)
    {
        chooseDemoNumber();
    }

    std::unique_ptr<SerialDevice> deviceFor(int comNumber) override
    {
        if (comNumber == m_demo->comNumber())
            return m_demo->deviceFor(comNumber);
        return m_real.deviceFor(comNumber);
    }
    QList<int> portNumbers() const override
    {
        QList<int> out{m_demo->comNumber()};
        for (int n : m_real.portNumbers())
            if (n != m_demo->comNumber())
                out << n;
        return out;
    }
    void refreshPorts() override
    {
        m_real.refreshPorts();
        // A newly linked adapter may have taken the demo's number: move the demo.
        if (m_real.portNumbers().contains(m_demo->comNumber()))
            chooseDemoNumber();
    }

private:
    void chooseDemoNumber()
    {
        const QList<int> used = m_real.portNumbers();
        int n = 1;
        while (n < MaxComNumber && used.contains(n))
            ++n;
        m_demo = std::make_unique<VirtualDeviceProvider>(m_sensor, m_scheduler, n);
    }

    PosixDeviceProvider m_real;
    VirtualSensor &m_sensor;
    Scheduler &m_scheduler;
    std::unique_ptr<VirtualDeviceProvider> m_demo;
};

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

/// Tool tips stay up for 30 s, long enough to read the longer hints.
void setToolTipPause(QWidget *window)
{
    window->setToolTipDuration(30000);
    for (QWidget *w : window->findChildren<QWidget *>())
        w->setToolTipDuration(30000);
}

/// Lets the window settle (a page change asks the sensor for its values).
void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool savePicture(QWidget &w, const QString &file)
{
    if (w.grab().save(file))
        return true;
    std::fprintf(stderr, "kv-ruzevuv: cannot write %s\n", qPrintable(file));
    return false;
}

/// The visible, enabled "Далее" of a page, as the first page's names it.
QPushButton *nextButtonOf(QWidget *page, const QString &nextText)
{
    for (QPushButton *b : page->findChildren<QPushButton *>())
        if (b->text() == nextText && b->isVisible() && b->isEnabled())
            return b;
    return nullptr;
}

void grabTour(TForm1 &form, const QString &dir)
{
    // The wizard walked as a user walks it: "Далее" on each page up to the
    // protocol-data page (whose "Далее" would start a calibration).
    auto *pages = form.findChild<QTabWidget *>(QStringLiteral("PageControl"));
    auto *firstNext = form.findChild<QPushButton *>(QStringLiteral("BitBtn5"));
    if (pages && firstNext && pages->isVisible()) {
        const QString nextText = firstNext->text();
        QList<QWidget *> seen;
        for (QWidget *page = pages->currentWidget(); page && !seen.contains(page);
             page = pages->currentWidget()) {
            seen << page;
            settle(1500);
            savePicture(form, QStringLiteral("%1/page-%2-%3.png")
                                  .arg(dir)
                                  .arg(seen.size())
                                  .arg(page->objectName()));
            if (page->objectName() == QLatin1String("TabSheet4"))
                break;
            // A click while a request is on the line brings the wizard back to
            // the information page: wait for the reply and press again.
            for (int attempt = 0; attempt < 5 && pages->currentWidget() == page; ++attempt) {
                QPushButton *next = nextButtonOf(page, nextText);
                if (!next)
                    break;
                next->click();
                if (seen.contains(pages->currentWidget()) && pages->currentWidget() != page) {
                    pages->setCurrentWidget(page);
                    settle(700);
                }
            }
        }
        pages->setCurrentIndex(0);
        settle(500);
    } else {
        std::fputs("kv-ruzevuv: no wizard pages to grab (is the port open?)\n", stderr);
        savePicture(form, dir + QStringLiteral("/page-1-closed.png"));
    }
    auto *diagram = form.findChild<QPushButton *>(QStringLiteral("bbOpenDiagram1"));
    if (diagram && diagram->isEnabled()) {
        diagram->click();
        settle(1500);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("TForm5") && w->isVisible())
                savePicture(*w, dir + QStringLiteral("/calibration.png"));
    } else {
        std::fputs("kv-ruzevuv: no protocol open: no calibration window to grab\n", stderr);
    }
    form.close();
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartOptions options = parseStartOptions(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kv-ruzevuv: %s\n%s", qPrintable(options.error),
                     qPrintable(startUsageText()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(startUsageText()), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", qPrintable(ProgramTitle), qPrintable(ProgramVersion));
        return 0;
    }
    if (!haveDisplay()) {
        std::fputs("kv-ruzevuv: no display to open the window on.\n"
                   "Start it from a desktop session, or without one run it under a virtual\n"
                   "display:  xvfb-run -a kv-ruzevuv --demo\n"
                   "or without any window system:  QT_QPA_PLATFORM=offscreen kv-ruzevuv\n",
                   stderr);
        return 1;
    }

    // The frame log is opened before any window: a file that cannot be
    // written is said at once, not discovered after a day's work.
    FrameLog frameLog;
    if (!options.logFrames.isEmpty()) {
        if (const QString error = frameLog.open(options.logFrames, QStringLiteral("kv-ruzevuv"));
            !error.isEmpty()) {
            std::fprintf(stderr, "kv-ruzevuv: %s\n", qPrintable(error));
            return 1;
        }
    }

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kv-ruzevuv"));
    QCoreApplication::setApplicationVersion(ProgramVersion);

    QtScheduler scheduler;
    QtDialogs dialogs;
    SettingsStore settings(SettingsStore::defaultPath());

    VirtualSensorOptions demoOptions;
    demoOptions.model = quint8(options.demoModel);
    demoOptions.firmware = quint8(options.demoFirmware);
    demoOptions.physics.noiseCounts = 3;
    VirtualSensor demoSensor(&scheduler, demoOptions);
    std::unique_ptr<DeviceProvider> ports;
    if (options.demo)
        ports = std::make_unique<DemoDeviceProvider>(demoSensor, scheduler, PortMap());
    else
        ports = std::make_unique<PosixDeviceProvider>(PortMap());

    ProgramWorld world;
    world.scheduler = &scheduler;
    world.dialogs = &dialogs;
    world.ports = ports.get();
    world.settings = &settings;
    world.arguments = arguments;
    world.fmsSearchDirs = FmsParameter::defaultSearchDirs();
    world.openDocument = [](const QString &path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    world.choosePrinter = [](QPrinter &printer) {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
        printer.setPrintRange(QPrinter::Selection);
        return dialog.exec() == QDialog::Accepted;
    };

    auto program = std::make_unique<Program>(world);
    if (frameLog.isOpen())
        program->state.link.setFrameLog(&frameLog);
    TForm1 &form = program->form1();
    dialogs.setParent(&form);
    for (QWidget *w : QApplication::topLevelWidgets())
        setToolTipPause(w);

    // The demo tank fills and empties slowly, so the live values keep changing.
    QTimer pourer;
    if (options.demo) {
        demoSensor.pour(0.5);
        QObject::connect(&pourer, &QTimer::timeout, &app, [&demoSensor] {
            const double litres = demoSensor.fuelLitres();
            const double full = demoSensor.physics().tankLitres;
            if (litres >= full * 0.95 && demoSensor.pourRate() > 0)
                demoSensor.pour(-0.5);
            else if (litres <= full * 0.05 && demoSensor.pourRate() < 0)
                demoSensor.pour(0.5);
        });
        pourer.start(1000);
    }

    // Closing the main window ends the program, whatever else is open.
    struct CloseWatch : QObject {
        using QObject::QObject;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Close)
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            return false;
        }
    } closeWatch;
    form.installEventFilter(&closeWatch);

    // For people checking the window without a screen: KV_GRAB_PNG=file saves a
    // picture of the main window KV_GRAB_AFTER_MS (3000) after start and ends.
    const QString grabFile = qEnvironmentVariable("KV_GRAB_PNG");
    if (!grabFile.isEmpty()) {
        bool ok = false;
        int after = qEnvironmentVariableIntValue("KV_GRAB_AFTER_MS", &ok);
        if (!ok || after < 0)
            after = 3000;
        QTimer::singleShot(after, &app, [&form, grabFile] {
            if (!form.grab().save(grabFile))
                std::fprintf(stderr, "kv-ruzevuv: cannot write %s\n", qPrintable(grabFile));
            form.close();
        });
    }

    // KV_GRAB_DIR=folder: the same, as a tour for the README's pictures: after
    // KV_GRAB_AFTER_MS every wizard page that is shown, then the calibration
    // window of the protocol named on the command line ("Показать диаграмму").
    const QString grabDir = qEnvironmentVariable("KV_GRAB_DIR");
    if (!grabDir.isEmpty()) {
        bool ok = false;
        int after = qEnvironmentVariableIntValue("KV_GRAB_AFTER_MS", &ok);
        if (!ok || after < 0)
            after = 3000;
        QTimer::singleShot(after, &app, [&form, grabDir] { grabTour(form, grabDir); });
    }
    // For the start-up benchmark: KV_EXIT_WHEN_SHOWN=<the launch time in ns
    // since the epoch> prints how long after it the main window was first
    // painted, and ends.
    struct FirstPaint : QObject {
        qint64 launchedNs = 0;
        bool seen = false;
        using QObject::QObject;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint && !seen) {
                seen = true;
                // After the paint event, when the window has been drawn.
                QTimer::singleShot(0, qApp, [this] {
                    const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::system_clock::now().time_since_epoch())
                                           .count();
                    std::printf("first window shown after %.1f ms\n",
                                double(now - launchedNs) / 1e6);
                    std::fflush(stdout);
                    QCoreApplication::quit();
                });
            }
            return false;
        }
    } firstPaint;
    firstPaint.launchedNs = qEnvironmentVariable("KV_EXIT_WHEN_SHOWN").toLongLong();
    if (firstPaint.launchedNs > 0)
        form.installEventFilter(&firstPaint);

    form.show();
    const int rc = app.exec();
    form.removeEventFilter(&firstPaint);
    form.removeEventFilter(&closeWatch);
    program.reset();
    return rc;
}
