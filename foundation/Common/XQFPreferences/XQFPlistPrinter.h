#pragma once
// Prints a property-list document. Text is escaped more than tinyxml2 does by itself, so that it
// reads back exactly: the five predefined entities, every byte below 32 as "&#x%02X;" (line
// feeds, tabs, carriage returns), and a text made only of spaces with every space escaped, since
// the parser drops white-space-only text between tags. Text outside the root element is written
// back as it was read.
#include <cstdio>
#include <tinyxml2.h>

class CXQFPlistPrinter : public tinyxml2::XMLPrinter
{
public:
    explicit CXQFPlistPrinter(FILE* file = nullptr, bool compact = false)
        : tinyxml2::XMLPrinter(file, compact)
    {
    }

    bool Visit(const tinyxml2::XMLText& text) override;
};

// Prints the whole document into file; false when writing reported an error.
bool PrintPlist(const tinyxml2::XMLDocument& document, FILE* file);
