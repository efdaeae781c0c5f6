// The script editor on a large script (10,000 lines, about 400 KB):
//  - open to shown, with colouring and the compile check done;
//  - key press to repaint (key handling, line pass, colouring of the
//    changed block, painting), p50 and p95.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. On demand only.

#include "editor/EditorDlg.h"
#include "fakes/Fakes.h"
#include "wizard/FileChooser.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

std::string BigScript() {
    std::string text = "use \"app.dec\";\n// generated for the editor benchmark\n";
    char line[128];
    for (int i = 0; text.size() < 400000 || i < 9998; ++i) {
        if (i % 2 == 0)
            std::snprintf(line, sizeof line, "string s%d = \"value number %d is here\";\n", i, i);
        else
            std::snprintf(line, sizeof line, "if (s%d != \"\") { Print(s%d); }\n", i - 1, i - 1);
        text += line;
        if (std::count(text.begin(), text.end(), '\n') >= 10000)
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
    const std::string script = BigScript();
    std::ofstream(path) << script;
    std::printf("script: %ld lines, %zu bytes\n", std::count(script.begin(), script.end(), '\n'),
                script.size());

    CRecordingMessageBox messages;
    CNoFiles files;
    std::vector<double> opens;
    for (int round = 0; round < 5; ++round) {
        EditorServices services(messages, files);
        services.home = dir.path().toStdString();
        const auto start = Clock::now();
        auto* editor = new CEditorDlg(services);
        editor->View()->AddKeywords("Print,Input,Split,Count");
        editor->SetPathToLoad(path);
        editor->Load(); // load, line passes, colouring, compile check
        editor->show();
        editor->View()->viewport()->repaint();
        QApplication::processEvents();
        opens.push_back(Ms(Clock::now() - start));
        if (editor->View()->Diagnostic().failed)
            std::printf("unexpected diagnostic: %s\n", editor->View()->Diagnostic().full.c_str());
        editor->View()->SetModified(false);
        delete editor;
    }
    std::sort(opens.begin(), opens.end());
    std::printf("open to shown (colouring and check done): median %.1f ms, worst %.1f ms\n",
                opens[opens.size() / 2], opens.back());

    EditorServices services(messages, files);
    auto* editor = new CEditorDlg(services);
    editor->SetPathToLoad(path);
    editor->Load();
    editor->show();
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
