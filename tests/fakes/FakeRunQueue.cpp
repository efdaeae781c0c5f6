#include "fakes/FakeRunQueue.h"

int CRecordingRunHost::Run(CMacro macro) {
    events.push_back("run:" + macro.name);
    started.push_back(macro);
    if (onRun)
        onRun(macro);
    return runResult;
}

void CRecordingRunHost::SetStopEnabled(bool enabled) {
    events.push_back(enabled ? "stop:on" : "stop:off");
}
void CRecordingRunHost::RefreshTrayState() {
    events.push_back("tray");
}
void CRecordingRunHost::ClearOutput() {
    events.push_back("output:clear");
}
void CRecordingRunHost::SetLastRun(const std::string& text) {
    events.push_back("lastrun:" + text);
}
void CRecordingRunHost::LastRunChanged(int32_t id, const std::string&) {
    events.push_back("lastrunbox:" + std::to_string(id));
}
void CRecordingRunHost::Install() {
    events.push_back("hook:install");
}
void CRecordingRunHost::Release() {
    events.push_back("hook:release");
}
void CRecordingRunHost::ResetKeys() {
    events.push_back("hook:reset");
}
void CRecordingRunHost::AppendLine(const std::string& text) {
    events.push_back("log:" + text);
    logLines.push_back(text);
}
