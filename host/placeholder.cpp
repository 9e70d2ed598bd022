// Replaced by the bundled host sources.
