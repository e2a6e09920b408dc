// Table and field names of the personnel database.
