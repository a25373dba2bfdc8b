-- The FAQ table for a shared PostgreSQL database. Column order matters: the insert supplies
-- its values by position.
CREATE TABLE faq (
    rbr      integer NOT NULL PRIMARY KEY, -- entry number, 1 to 32767
    adresa   text,                         -- keywords
    pitanje  text,                         -- question
    datum    varchar(10),                  -- creation date, mm/dd/yyyy
    proizvod text,                         -- product
    lot      text,
    odgovor  text                          -- answer
);
