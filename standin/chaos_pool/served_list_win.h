#pragma once

namespace standin::chaos {

// standin.exe --play-served FOLDER PLUGIN SCENARIO [PLUGIN SCENARIO]...
int playServedList(int argc, char** argv);

}  // namespace standin::chaos
