// The updater's string table, shared with the feedback dialog. One language (British English);
// the table is built on first use.
#include "AutoUpdater.h"

#include <QStringList>

#include "ProductInfo.h"

QString CAutoUpdater::GetUpdaterString(int index)
{
    static const QStringList table = {
        /*  0 */ "The AutoUpdater encountered a fatal error.",
        /*  1 */ "Failed to start the AutoUpdater executable.",
        /*  2 */ "Failed to find AutoUpdater executable.",
        /*  3 */ "The AutoUpdater timed out.",
        /*  4 */ "The AutoUpdater encountered an unknown error.",
        /*  5 */ "cannot be automatically updated because a major SDK revision has been released.",
        /*  6 */ "Cannot Update",
        /*  7 */ "This may be because of a network failure or the update servers may be busy.",
        /*  8 */ "The Auto Updater failed to download.\n\nThis may be because of a network failure or the update "
                 "servers may be busy.",
        /*  9 */ "Check for updates",
        /* 10 */ "Feedback",
        /* 11 */ "Post your feedback in the Tarnvex Brevant Forum",
        /* 12 */ "The installer failed to launch. This may happen on several Linux distributions.",
        /* 13 */ "New Update Available",
        /* 14 */ "A new update is available for",
        /* 15 */ "No Update Available",
        /* 16 */ "Ok",
        /* 17 */ QString("Please visit <a href=\"%1\">the download page</a> to download the latest SDK.")
                     .arg(productinfo::kDownloadLink),
        /* 18 */ "Please include the following text in your feedback",
        /* 19 */ "SDK Update Required",
        /* 20 */ "Select text [Ctrl + A] and copy [Ctrl + C]",
        /* 21 */ "Select text [Cmd + A] and copy [Cmd + C]",
        /* 22 */ "Send your feedback to Tarnvex Halvenmoor",
        /* 23 */ "Update",
        /* 24 */ "Update Failed",
        /* 25 */ QString("Visit <a href=\"%1\">the download page</a> for more information.")
                     .arg(productinfo::kDownloadLink),
        /* 26 */ "is up to date.",
        /* 27 */ "Would you like to update?",
    };
    return index >= 0 && index < table.size() ? table.at(index) : QString();
}
