#pragma once

class ConfigDocumentFetch;

// Starts the one fetch of the settings document of the run and returns at once. When the document
// arrives it is read on the user-interface thread; on success the record is filled as a whole and
// ApplyRemoteConfiguration runs. Every failure is silent and leaves the record empty. The returned
// fetch belongs to the main window (or to the application without one) and deletes itself when done.
ConfigDocumentFetch* FetchRemoteConfiguration();

// Version check, keyword-box word, advertisement, in this order; a failure in one of them ends the
// applying silently and skips the rest.
void ApplyRemoteConfiguration();
