#include "engine/tables/RVTableStartUp.h"

void RegisterTables() {
}
