// standin.exe SCENARIO PLUGIN.asi TRACE: the session runs inside the stand-in
// ScriptHookRDR2.dll, so the plug-in and the runner share one host.
extern "C" __declspec(dllimport) int standinRun(int argc, char** argv);

int main(int argc, char** argv) { return standinRun(argc, argv); }
