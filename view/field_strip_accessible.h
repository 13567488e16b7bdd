// The field strip as assistive technology sees it: a group named after its
// caption whose description says which field and row is current, with its
// descriptor text and sample; the editor and every cell are children with
// names of their own.
#pragma once

// Installs the accessibility of the strip and its cells (once per process).
void InstallFieldStripAccessibility();
