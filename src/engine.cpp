// Anchor of the engine library; the subsystems come in as object libraries.
