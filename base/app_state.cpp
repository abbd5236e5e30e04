// The one instance of the program's state record.
#include "base/app_state.h"

AppState g_App;
