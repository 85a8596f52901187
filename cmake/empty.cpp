// Keeps a library valid while a subsystem has no sources yet.
