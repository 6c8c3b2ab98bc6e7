#pragma once
// The OpenGL ES 1.1 records' registration with the loader (Es1Registration.cpp calls it).
#include "apicall/CallFactory.h"

void RegisterEs1Calls();
