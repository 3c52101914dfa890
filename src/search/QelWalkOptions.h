#pragma once
// How far a tree walk reaches. The defaults are the program's own: sub-folders
// searched, links never entered, pseudo file systems left alone.

struct QelWalkOptions {
    // Enter sub-folders; when false only the root's own entries are reported.
    bool includeSubFolders = true;
    // Enter links to folders as folders (never into a folder already on the
    // current path). Otherwise a link is one entry, reported as a file
    // whatever it points to, so a walk never leaves the tree it was given.
    bool followLinks = false;
    // Enter no folder on another file system than the root's.
    bool sameFileSystem = false;
};
