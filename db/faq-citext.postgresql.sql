-- Makes the searched text columns of an existing table faq case-insensitive for every letter:
-- text and varchar columns become citext, every value staying exactly as it is (no value is
-- converted). Where the database's locale knows the case of ASCII letters only (locale C), the
-- columns get a collation that knows them all (C.utf8, else ICU's root). Safe to run again:
-- a column that already folds every letter is left alone. A column of another type is
-- reported and left alone.
-- Run by the owner of the table or a superuser, in the database that holds it:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -f /usr/share/tarvo/faq-citext.postgresql.sql
CREATE EXTENSION IF NOT EXISTS citext;
DO $$
DECLARE
    col record;
    folds boolean;
    letters_collation name;
BEGIN
    IF lower('ŠĐČĆŽ') <> 'šđčćž' THEN
        SELECT collname INTO letters_collation FROM pg_collation
         WHERE collname IN ('C.utf8', 'und-x-icu') AND collencoding IN (-1, pg_char_to_encoding('UTF8'))
         ORDER BY collname = 'C.utf8' DESC LIMIT 1;
    END IF;
    FOR col IN
        SELECT a.attname AS name, format_type(a.atttypid, a.atttypmod) AS type, a.atttypid, a.attcollation
          FROM pg_attribute a
         WHERE a.attrelid = 'faq'::regclass AND NOT a.attisdropped
           AND a.attname IN ('adresa', 'pitanje', 'proizvod', 'lot', 'odgovor')
         ORDER BY a.attnum
    LOOP
        IF col.atttypid NOT IN ('text'::regtype, 'varchar'::regtype, 'citext'::regtype) THEN
            RAISE WARNING 'faq.%: left as %, searches in it keep the case of letters', col.name, col.type;
            CONTINUE;
        END IF;
        EXECUTE format('SELECT lower(%L COLLATE %I) = %L', 'ŠĐČĆŽ',
                       (SELECT collname FROM pg_collation WHERE oid = col.attcollation), 'šđčćž')
           INTO folds;
        IF col.atttypid = 'citext'::regtype AND (folds OR letters_collation IS NULL) THEN
            CONTINUE;
        END IF;
        IF folds OR letters_collation IS NULL THEN
            EXECUTE format('ALTER TABLE faq ALTER COLUMN %I TYPE citext', col.name);
            RAISE NOTICE 'faq.%: % converted to citext', col.name, col.type;
        ELSE
            EXECUTE format('ALTER TABLE faq ALTER COLUMN %I TYPE citext COLLATE %I', col.name, letters_collation);
            RAISE NOTICE 'faq.%: % converted to citext in collation %', col.name, col.type, letters_collation;
        END IF;
    END LOOP;
    IF lower('ŠĐČĆŽ') <> 'šđčćž' AND letters_collation IS NULL THEN
        RAISE WARNING 'the locale of this database knows the case of ASCII letters only, and no collation that knows all is installed';
    END IF;
END
$$;
