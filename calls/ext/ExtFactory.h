#pragma once
// The extension records' registration with the loader (ExtRegistration.cpp calls it).
#include "apicall/CallFactory.h"

void RegisterExtCalls();
