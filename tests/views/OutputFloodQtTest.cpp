// A script that prints without pause, run through the real runner, bridge,
// main window and instance socket: the window's thread keeps answering
// "status" while it prints, the Output page ends with the script's newest
// text, and the script log gets every byte.

#include "app/MainDlg.h"
#include "program/RunRequest.h"
#include "app/RunnerBridge.h"
#include "program/StatusRequest.h"
#include "app/WingmateApp.h"
#include "fakes/Fakes.h"
#include "library/LibraryTestUtil.h"
#include "run/MacroRunner.h"
#include "views/OutputPage.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Lines of 99 characters: 92 "x" and a seven-digit number.
constexpr int kLines = 200000;

// Hands runs to the runner, which is made once the window exists.
class CRunnerSlot : public IMacroRunner {
public:
    int Run(CMacro macro) override { return target ? target->Run(std::move(macro)) : 0; }
    IMacroRunner* target = nullptr;
};

std::string ExpectedLine(int index) {
    return std::string(92, 'x') + std::to_string(1000000 + index) + "\n";
}

} // namespace

class OutputFloodQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowAnswersWhileAScriptPrintsWithoutPause() {
        QTemporaryDir dir;
        const std::string home = dir.path().toStdString();
        const std::string script = home + "/flood.tsc";
        std::ofstream(script) << "string pad = \"" << std::string(92, 'x') << "\";\n"
                              << "for (int i = 0; i < " << kLines << "; i += 1) {\n"
                              << "    Print(pad, 1000000 + i);\n}\n";
        {
            CMacroLibrary saved;
            const int32_t root =
                saved.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
            CMacro flood = Record("Flood");
            flood.runAsScript = 1;
            flood.scriptFile = script;
            saved.InsertRecord(flood, root, InsertPosition::Into);
            saved.File().SetPaths(home);
            QCOMPARE(saved.Save(), 1);
        }
        CMemorySettingsStore store;
        store.exists = true;
        CRecordingMessageBox messages;
        CRunnerSlot slot;
        MainDlgServices services(store, messages);
        services.runner = &slot;
        CMainDlg window(home, services);
        window.Start();
        CRunnerBridge bridge(window);
        CMacroRunner::Ports ports;
        ports.output = &bridge;
        ports.inputPrompt = &bridge;
        ports.completion = &bridge;
        ports.failure = &bridge;
        ports.messageBox = &messages;
        CMacroRunner runner(home, ports);
        slot.target = &runner;

        const std::string socket = home + "/wingmate.sock";
        CWingmateApp app(messages, QString::fromStdString(socket));
        QVERIFY(app.ClaimInstance());
        connect(&app, &CWingmateApp::requestReceived, &window, &CMainDlg::HandleInstanceRequest);

        // As wingmatectl would: start the macro, then ask for the status
        // until the run has ended, timing every answer.
        std::atomic<bool> probed{false};
        std::string failure;
        std::vector<double> answerMs;
        std::thread client([&] {
            std::string answer, error;
            bool reached = false;
            if (!SendInstanceRequest(socket, "run Flood", answer, error, reached)) {
                failure = "run: " + error;
                probed = true;
                return;
            }
            const auto giveUp = Clock::now() + std::chrono::seconds(120);
            while (Clock::now() < giveUp) {
                const auto asked = Clock::now();
                if (!SendInstanceRequest(socket, "status", answer, error, reached)) {
                    failure = "status: " + error;
                    break;
                }
                answerMs.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
                const auto status = ParseStatusAnswer(answer);
                if (status && !status->running)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            probed = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(probed, 130000);
        client.join();
        QVERIFY2(failure.empty(), failure.c_str());
        QVERIFY(answerMs.size() >= 3);
        const double slowest = *std::max_element(answerMs.begin(), answerMs.end());
        qInfo("%zu status answers while printing, slowest %.1f ms", answerMs.size(), slowest);
        // Before output was bounded, each answer waited for every line
        // queued ahead of it: seconds. A loaded machine still answers well
        // within this.
        QVERIFY2(slowest < 250, qPrintable(QString::number(slowest)));

        // The box holds the newest characters, exactly as if every line had
        // been shown; the log holds every line.
        const int lineLength = int(ExpectedLine(0).size());
        std::string tail;
        for (int i = kLines - COutputPage::kOutputLimit / lineLength - 1; i < kLines; ++i)
            tail += ExpectedLine(i);
        tail.erase(0, tail.size() - COutputPage::kOutputLimit);
        QCOMPARE(window.OutputPage()->OutputText().toStdString(), tail);
        QCOMPARE(std::filesystem::file_size(home + "/flood.log"),
                 std::uintmax_t(kLines) * std::uintmax_t(lineLength));
        QVERIFY(messages.shown.empty());
    }
};

QTEST_MAIN(OutputFloodQtTest)
#include "OutputFloodQtTest.moc"
