-- The address book shipped with the program: three empty tables. The program never creates
-- or alters them. AUTOINCREMENT keeps an id from being given again after its row was deleted,
-- so a list that still shows a deleted row can never change or delete a newer one.
CREATE TABLE SendAddress (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    address TEXT NOT NULL
);
CREATE TABLE ReceiptAddress (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    address TEXT NOT NULL
);
CREATE TABLE ProductName (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT NOT NULL
);
