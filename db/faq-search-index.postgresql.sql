-- Trigram indexes on the five searched columns of faq, so that a search's
-- "column LIKE '%text%'" on a citext column reads the entries that hold the text's trigrams
-- instead of every entry. No value changes and no statement text changes.
--
-- pg_trgm's own operator classes are for text; citext's LIKE is text's ILIKE (it lowers both
-- the value and the pattern, in the column's collation). pg_trgm's trigrams are lowered too,
-- always in the database's default collation, and its LIKE strategies always recheck every
-- row the index returns against the real operator. So a trigram class for citext built on
-- pg_trgm's support functions can only narrow a search, never change its result, as long as
-- the column is lowered the way pg_trgm lowers: in the database's default collation, and that
-- collation from the system's C library (ICU lowers some letters differently). A column in
-- another collation (a database made in locale C, see faq-citext.postgresql.sql) keeps its
-- sequential search: it is reported and left without an index.
--
-- A pattern with no trigram (one or two letters, only wildcards) would make the index read all
-- its entries; the planner sees that in the index's cost and reads the table instead.
--
-- Creating the operator class takes a superuser; the indexes, the table's owner. Safe to run
-- again: what exists is left alone. Run it in the database that holds the table faq:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -f /usr/share/tarvo/faq-search-index.postgresql.sql
CREATE EXTENSION IF NOT EXISTS citext;
CREATE EXTENSION IF NOT EXISTS pg_trgm;
DO $$
DECLARE
    trgm_schema name := (SELECT n.nspname FROM pg_extension e JOIN pg_namespace n ON n.oid = e.extnamespace
                          WHERE e.extname = 'pg_trgm');
    citext_schema name := (SELECT n.nspname FROM pg_extension e JOIN pg_namespace n ON n.oid = e.extnamespace
                            WHERE e.extname = 'citext');
BEGIN
    IF EXISTS (SELECT FROM pg_opclass c JOIN pg_am a ON a.oid = c.opcmethod
                WHERE c.opcname = 'citext_trgm_ops' AND a.amname = 'gin') THEN
        RETURN;
    END IF;
    -- Strategies 3 and 4 are pg_trgm's LIKE and ILIKE: for citext both are its ~~ (and ~~*),
    -- case-insensitive; 3 serves "column LIKE 'literal'", the literal being unknown, then text.
    EXECUTE format($f$
        CREATE OPERATOR CLASS citext_trgm_ops FOR TYPE %1$I.citext USING gin AS
            OPERATOR 3 %1$I.~~ (%1$I.citext, %1$I.citext),
            OPERATOR 4 %1$I.~~* (%1$I.citext, %1$I.citext),
            FUNCTION 1 pg_catalog.btint4cmp(integer, integer),
            FUNCTION 2 %2$I.gin_extract_value_trgm(text, internal),
            FUNCTION 3 %2$I.gin_extract_query_trgm(text, internal, int2, internal, internal, internal, internal),
            FUNCTION 4 %2$I.gin_trgm_consistent(internal, int2, text, int4, internal, internal, internal, internal),
            FUNCTION 6 %2$I.gin_trgm_triconsistent(internal, int2, text, int4, internal, internal, internal),
            STORAGE integer$f$, citext_schema, trgm_schema);
    EXECUTE format($f$
        ALTER OPERATOR FAMILY citext_trgm_ops USING gin ADD
            OPERATOR 3 %1$I.~~ (%1$I.citext, text),
            OPERATOR 4 %1$I.~~* (%1$I.citext, text)$f$, citext_schema);
END
$$;
DO $$
DECLARE
    col record;
    libc_default boolean := (SELECT datlocprovider = 'c' FROM pg_database WHERE datname = current_database());
BEGIN
    IF to_regclass('faq') IS NULL THEN
        RETURN; -- the operator class alone; the indexes come with the table
    END IF;
    FOR col IN
        SELECT a.attname AS name, a.atttypid = 'citext'::regtype AS is_citext,
               a.attcollation = 'pg_catalog.default'::regcollation AS default_collation
          FROM pg_attribute a
         WHERE a.attrelid = 'faq'::regclass AND NOT a.attisdropped
           AND a.attname IN ('adresa', 'pitanje', 'proizvod', 'lot', 'odgovor')
         ORDER BY a.attnum
    LOOP
        IF NOT (col.is_citext AND col.default_collation AND libc_default) THEN
            RAISE WARNING 'faq.%: no search index (the column is not citext in the database''s own C-library collation); searches in it read every entry', col.name;
            CONTINUE;
        END IF;
        EXECUTE format('CREATE INDEX IF NOT EXISTS %I ON faq USING gin (%I citext_trgm_ops)',
                       'faq_' || col.name || '_search', col.name);
    END LOOP;
END
$$;
