// Filled by the document engine.
