#pragma once
// For the bank editor tests: a fresh database, the simulated receiver on a pseudo-terminal with the mirrored
// driver on it, and a hand that answers the message boxes the editors open.

#include "../app/TestDatabase.h"
#include "../audio/EventLogCapture.h"
#include "../receiver/SimulatedReceiver.h"
#include "app/DataModuleUnit.h"
#include "receiver/DBAOR8200Unit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <memory>

inline std::unique_ptr<TDataModule1> OpenEditorTables(const QTemporaryDir& folder)
{
    if (PrepareProgramFolder(folder).isEmpty())
        throw std::runtime_error("no template database");
    return std::make_unique<TDataModule1>();
}

// The data module outlives the driver.
template <class Driver = TDBAOR8200> struct EditorRig {
    explicit EditorRig(const ReceiverState& state = ReceiverState::Empty(), SimulatorOptions options = {})
        : tables(OpenEditorTables(folder))
        , rx(WithState(options, state), nullptr, tables.get())
    {
    }
    static SimulatorOptions WithState(SimulatorOptions options, const ReceiverState& state)
    {
        options.resortMs = 0;
        options.state = state;
        return options;
    }
    // The commands since the last call, without the squelch-report switching around each bracket.
    QByteArrayList Commands()
    {
        QByteArrayList commands;
        for (const QByteArray& command : rx.TakeCommands()) {
            if (!command.startsWith("LC"))
                commands.append(command);
        }
        return commands;
    }
    QByteArrayList CommandsStartingWith(const QByteArray& prefix)
    {
        QByteArrayList found;
        for (const QByteArray& command : Commands()) {
            if (command.startsWith(prefix))
                found.append(command);
        }
        return found;
    }
    Driver& driver() { return *rx.driver; }

    QTemporaryDir folder;
    std::unique_ptr<TDataModule1> tables;
    SimulatedReceiver<Driver> rx;
};

// Presses the given buttons in turn in each message box that opens (OK once they are used up) and keeps the
// boxes' texts.
class TDialogAnswerer : public QObject {
public:
    explicit TDialogAnswerer(QList<QMessageBox::StandardButton> answers = {})
        : Answers(std::move(answers))
    {
        connect(&Timer, &QTimer::timeout, this, &TDialogAnswerer::Poll);
        Timer.start(5);
    }
    QStringList Texts;

private:
    void Poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        Texts.append(box->text());
        const QMessageBox::StandardButton answer = Answers.isEmpty() ? QMessageBox::Ok : Answers.takeFirst();
        if (QAbstractButton* button = box->button(answer))
            button->click();
        else
            box->reject();
    }

    QList<QMessageBox::StandardButton> Answers;
    QTimer Timer;
};
