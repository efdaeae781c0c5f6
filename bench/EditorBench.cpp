// The script editor on a large script (10,000 lines, about 400 KB, or the
// size given):
//  - open to shown (a large script's first piece), to the whole script read
//    with the line pass and compile check done, and the longest pause of the
//    event loop meanwhile;
//  - key press to repaint (key handling, line pass, colouring of the
//    changed block, painting), p50 and p95.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. On demand only.

#include "editor/EditorDlg.h"
#include "fakes/Fakes.h"
#include "ports/FileChooser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

class CNoFiles : public IFileChooser {
public:
    std::vector<std::string> OpenFiles(const std::string&, bool) override { return {}; }
    std::string SaveFile(const std::string&, const std::string&) override { return {}; }
    std::string ChooseFolder(const std::string&) override { return {}; }
};

// About `bytes` of script; 10,000 lines for the default 400 KB.
std::string BigScript(size_t bytes) {
    std::string text = "use \"app.dec\";\n// generated for the editor benchmark\n";
    char line[128];
    const long lines = std::max<long>(10000, long(bytes / 40));
    for (int i = 0; text.size() < bytes || i < 9998; ++i) {
        if (i % 2 == 0)
            std::snprintf(line, sizeof line, "string s%d = \"value number %d is here\";\n", i, i);
        else
            std::snprintf(line, sizeof line, "if (s%d != \"\") { Print(s%d); }\n", i - 1, i - 1);
        text += line;
        if (i >= lines - 3)
            break;
    }
    return text;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/big.tsc";
    // bench_editor [BYTES]: the script's size (400000 unless given).
    const size_t bytes = argc > 1 ? size_t(std::strtoul(argv[1], nullptr, 10)) : 400000;
    const std::string script = BigScript(bytes);
    std::ofstream(path) << script;
    std::printf("script: %ld lines, %zu bytes\n", std::count(script.begin(), script.end(), '\n'),
                script.size());

    CRecordingMessageBox messages;
    CNoFiles files;
    std::vector<double> opens, loads, pauses;
    for (int round = 0; round < 5; ++round) {
        EditorServices services(messages, files);
        services.home = dir.path().toStdString();
        const auto start = Clock::now();
        auto* editor = new CEditorDlg(services);
        editor->View()->AddKeywords("Print,Input,Split,Count");
        editor->SetPathToLoad(path);
        editor->Load(); // a large script: its first piece
        editor->show();
        editor->View()->viewport()->repaint();
        QApplication::processEvents();
        opens.push_back(Ms(Clock::now() - start));
        // The rest arrives from the event loop; the longest time it does not
        // come back is how long the window cannot paint. The last step is
        // the line pass and the compile check.
        double longest = 0;
        while (editor->View()->IsLoading() || editor->View()->Checking()) {
            const auto step = Clock::now();
            QApplication::processEvents();
            longest = std::max(longest, Ms(Clock::now() - step));
        }
        loads.push_back(Ms(Clock::now() - start));
        pauses.push_back(longest);
        if (editor->View()->Diagnostic().failed)
            std::printf("unexpected diagnostic: %s\n", editor->View()->Diagnostic().full.c_str());
        editor->View()->SetModified(false);
        delete editor;
    }
    for (auto* list : {&opens, &loads, &pauses})
        std::sort(list->begin(), list->end());
    std::printf("open to shown (first screen coloured): median %.1f ms, worst %.1f ms\n",
                opens[opens.size() / 2], opens.back());
    std::printf("open to whole script read, passes and check done: median %.1f ms, worst %.1f "
                "ms\n",
                loads[loads.size() / 2], loads.back());
    std::printf("longest time the window could not paint while reading: median %.1f ms, worst "
                "%.1f ms\n",
                pauses[pauses.size() / 2], pauses.back());

    EditorServices services(messages, files);
    auto* editor = new CEditorDlg(services);
    editor->SetPathToLoad(path);
    editor->Load();
    editor->show();
    editor->View()->FinishLoading();
    QApplication::processEvents();
    CScriptView* view = editor->View();
    view->setFocus();
    view->GoToLine(5000);
    QApplication::processEvents();
    std::vector<double> keys;
    const QString typed = QStringLiteral("Print(\"typed\"); ");
    for (int i = 0; i < 400; ++i) {
        const QChar c = typed.at(i % typed.size());
        const auto start = Clock::now();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(view, &press);
        view->viewport()->repaint();
        keys.push_back(Ms(Clock::now() - start));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(view, &release);
    }
    std::sort(keys.begin(), keys.end());
    std::printf("key press to repaint: p50 %.2f ms, p95 %.2f ms, max %.2f ms (%zu keys)\n",
                keys[keys.size() / 2], keys[keys.size() * 95 / 100], keys.back(), keys.size());
    view->SetModified(false);
    delete editor;
    return 0;
}
