#ifndef QOR_BASE_VERSION_STAMPS_H
#define QOR_BASE_VERSION_STAMPS_H

/* File version stamps: the "#[%]QOR<key>: <value>" lines that program files
 * carry (FileVersion, ProductVersion, Platform, SpecialBuild).
 *
 * A null path gives the program's own compiled-in stamps. On success (1) the
 * four outputs are heap copies the caller frees with free(); on failure (0)
 * all four are null. */
int GetFileVersionStamps(const char* path, char** file_version, char** product_version,
                         char** platform, char** special_build);

/* Reads a file's version resource. Program files of this platform carry
 * none, so this always answers 0 with four null outputs. */
int GetFileVersionResource(const char* path, char** file_version, char** product_version,
                           char** platform, char** special_build);

#endif
