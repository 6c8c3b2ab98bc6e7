#pragma once
// The EGL records' registration with the loader (EglRegistration.cpp calls it).
#include "apicall/CallFactory.h"

void RegisterEglCalls();
