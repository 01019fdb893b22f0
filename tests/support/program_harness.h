// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A whole program over a simulated clock, scripted dialogs, a settings file in
// a temporary folder and a VirtualSensor on COM1. Window tests drive it with
// QTest and the clock, and check the frames the sensor received.

#include "common/dialogs.h"
#include "common/scheduler.h"
#include "link/frame.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "sequencing/program.h"
#include "shell/settings_store.h"
#include "sim/virtual_port.h"
#include "sim/virtual_sensor.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

struct ProgramHarness {
    explicit ProgramHarness(VirtualSensorOptions options = {}, QStringList arguments = {})
        : sensor(&clock, options), ports(sensor, clock, 1),
          settings(dir.filePath(QStringLiteral("Kv_Instal_ini.ini")))
    {
        QStandardPaths::setTestModeEnabled(true);
        // A workshop machine that already passed the decimal-comma check; tests
        // of the check itself remove the override before start().
        (void)settings.setDecimalSeparatorOverride(QLatin1Char(','));
        world.scheduler = &clock;
        world.dialogs = &dialogs;
        world.ports = &ports;
        world.settings = &settings;
        world.arguments = std::move(arguments);
        world.fmsSearchDirs = {dir.path()};
        world.openDocument = [this](const QString &path) {
            opened << path;
            return true;
        };
    }

    /// Builds the program (call after adjusting settings or the world).
    Program &start()
    {
        program = std::make_unique<Program>(world);
        return *program;
    }

    TForm1 &form() { return program->form1(); }
    ProgramState &state() { return program->state; }

    /// Opens COM1 the way the window does after a successful open, without
    /// the port-selection procedure: for tests of what follows an open.
    void openPortDirectly()
    {
        TComPort &p = form().port();
        p.setComNumber(1);
        p.Open();
        p.setReadActive(true);
    }

    /// Command bytes of the frames the sensor heard, oldest first.
    QList<quint8> commandsHeard() const
    {
        QList<quint8> out;
        for (const QByteArray &f : sensor.requests())
            out << quint8(f.at(2));
        return out;
    }

    QTemporaryDir dir;
    SimulatedScheduler clock;
    ScriptedDialogs dialogs;
    VirtualSensor sensor;
    VirtualDeviceProvider ports;
    SettingsStore settings;
    ProgramWorld world;
    QStringList opened;
    std::unique_ptr<Program> program;
};
