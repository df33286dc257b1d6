// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace nomix {

// Where the programs find what they read but never write: the sample
// database, the help file and the about box's music. One rule for the
// desktop program and the command line alike, so both agree on the default
// common directory.
//
// An installed program finds its data at ../share/nomix95 relative to its
// own executable, under whatever prefix it was installed or moved to. A
// program still in its build tree finds the source tree's resources/ through
// the marker file the build writes at the top of the build tree; an
// installed program has no such marker above it, so nothing of the build
// machine's paths is compiled into it.
//
// The folder keeps the layout of the source tree's resources/: sample/,
// help/, music/, labelling/.

// The name of the build tree's marker file; it holds the path of resources/.
inline constexpr const char* kBuildTreeMarker = "nomix95-resources.path";

// The data folder of a program whose executable lies in `programDir`: the
// installed folder when it exists, else the build tree's resources/ when
// the program sits in a build tree, else the installed folder's path all the
// same (so a broken installation is named in the error the user sees).
std::string programDataFolder(const std::string& programDir);

// The folder of the running executable (from /proc/self/exe); empty when
// the system does not tell.
std::string runningProgramDir();

// The folder of the program's compiled translations: translations/ of the
// installed data folder, or of the top of the build tree for a program run
// from it (they are built there, never kept in resources/).
std::string translationsFolder(const std::string& programDir);

// The default common directory: the bundled sample database's folder.
std::string defaultCommonDirectory(const std::string& programDir);

// The bundled labelling rules that families are voted with.
std::string defaultLabellingFolder(const std::string& programDir);

// Whether a stored common directory is a default this program set in some
// earlier installation or build (a sample folder of an installed or built
// Nomix95) that no longer exists, so the current default may stand in for it.
// A folder the user chose, or one that still exists, is never stale.
bool isStaleDefaultDirectory(const std::string& storedPath);

} // namespace nomix
