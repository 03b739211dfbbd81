// The parameter counts that other parts size their own arrays by, held to the parameter table's:
// a parameter added to the table without them stops the build here.
#include "modulation/BindingMap.h"
#include "modulation/Transmod.h"
#include "plugin/Norv.h"
#include "plugin/NorvProcess.h"
#include "plugin/ParameterTable.h"
#include "plugin/PendingChanges.h"
#include "plugin/PluginState.h"

// The 60 fixed parameters.
static_assert(NorvProcess::kNumParameters == ParameterTable::kNumFixedParameters);
static_assert(EngineState::kNumParameters == ParameterTable::kNumFixedParameters);
// The 62 host parameters: the fixed ones and the two assignable ones.
static_assert(Norv::kNumHostParameters == ParameterTable::kNumHostParameters);
static_assert(PendingChanges::kSize == ParameterTable::kNumHostParameters);
static_assert(BindingMap::kHostParameters == ParameterTable::kNumHostParameters);
// A row: the base and one depth per modulation source.
static_assert(NorvProcess::kNumColumns == Transmod::kNumColumns);
static_assert(EngineState::kNumColumns == Transmod::kNumColumns);
