// Replaced by the editor sources.
