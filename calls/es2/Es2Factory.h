#pragma once
// The OpenGL ES 2.0 records' registration with the loader (Es2Registration.cpp calls it).
#include "apicall/CallFactory.h"

void RegisterEs2Calls();
