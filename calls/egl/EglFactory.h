#pragma once
// The EGL records by id and by the file's format version, and their registration with the loader.
#include "apicall/CallFactory.h"

CApiCall* CreateEglCall(CTrace* trace, uint16_t id);
// Makes the EGL records known to CreateCallById (EglRegistration.cpp calls it).
void RegisterEglCalls();
