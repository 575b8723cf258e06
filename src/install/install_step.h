#pragma once
// The moments between two changes of an install.

// Called right after each change that an install makes on the disk. Here it
// does nothing; a test build links its own, which ends the process there as
// a kill would, to prove that the next start puts the disk back.
void AfterInstallChange();
