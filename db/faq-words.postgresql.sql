-- The word search of the shared PostgreSQL database: for each group of fields (keywords and
-- question, product and LOT, answer) the words of every entry, as written (in small letters)
-- and without diacritics, each kept in an index of its own. The server keeps them for every
-- change, whatever program makes it; mirt needs no right beyond reading faq (the functions can
-- be run by everyone, as functions can).
-- A word is a run of letters and digits, as the embedded database's index splits texts.
-- Safe to run again: the functions are replaced, the indexes are made when missing, and the
-- trigram index of earlier versions is dropped. Changing what faq_words_vector or
-- faq_words_fold returns needs REINDEX of the six indexes.
-- Made in the schema public. Run by the owner of the table or a superuser, in the database that
-- holds it:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -1 -f /usr/share/tarvo/faq-words.postgresql.sql
CREATE EXTENSION IF NOT EXISTS unaccent;
-- unaccent() with its dictionary named gives the same answer for the same text always, which an
-- index needs.
CREATE OR REPLACE FUNCTION public.faq_words_fold(words text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT lower(public.unaccent('public.unaccent'::regdictionary, words)) $$;
-- The distinct words of a text in small letters. A word too long for a text search value
-- (2 KB) is left out rather than refusing the entry. Its cost keeps the planner from reading
-- every entry's words instead of the index; parallel restricted, because a search of a few
-- thousand entries costs more to share out among workers than to do.
CREATE OR REPLACE FUNCTION public.faq_words_vector(words text) RETURNS tsvector
    LANGUAGE sql IMMUTABLE STRICT PARALLEL RESTRICTED COST 1000
    AS $$ SELECT array_to_tsvector(coalesce(array_agg(w), '{}'))
          FROM regexp_split_to_table(lower(words), '[^[:alnum:]]+') AS w
          WHERE w <> '' AND octet_length(w) < 2048 $$;
CREATE OR REPLACE FUNCTION public.faq_words_exact(first text, second text) RETURNS tsvector
    LANGUAGE sql IMMUTABLE PARALLEL RESTRICTED
    AS $$ SELECT public.faq_words_vector(coalesce(first, '') || ' ' || coalesce(second, '')) $$;
CREATE OR REPLACE FUNCTION public.faq_words_loose(first text, second text) RETURNS tsvector
    LANGUAGE sql IMMUTABLE PARALLEL RESTRICTED
    AS $$ SELECT public.faq_words_vector(public.faq_words_fold(coalesce(first, '') || ' ' || coalesce(second, ''))) $$;
-- A typed word as a query of those words: the word itself (whole) or every word it begins.
CREATE OR REPLACE FUNCTION public.faq_words_query(word text, whole boolean) RETURNS tsquery
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT ('''' || replace(replace(lower(word), '\', '\\'), '''', '''''') || ''''
                  || CASE WHEN whole THEN '' ELSE ':*' END)::tsquery $$;
DROP INDEX IF EXISTS public.faq_words_trigrams;
DROP FUNCTION IF EXISTS public.faq_words_text(text, text, text, text, text);
CREATE INDEX IF NOT EXISTS faq_words_question_exact ON faq USING gin (faq_words_exact(adresa::text, pitanje::text));
CREATE INDEX IF NOT EXISTS faq_words_question ON faq USING gin (faq_words_loose(adresa::text, pitanje::text));
CREATE INDEX IF NOT EXISTS faq_words_product_exact ON faq USING gin (faq_words_exact(proizvod::text, lot::text));
CREATE INDEX IF NOT EXISTS faq_words_product ON faq USING gin (faq_words_loose(proizvod::text, lot::text));
CREATE INDEX IF NOT EXISTS faq_words_answer_exact ON faq USING gin (faq_words_exact(odgovor::text, ''));
CREATE INDEX IF NOT EXISTS faq_words_answer ON faq USING gin (faq_words_loose(odgovor::text, ''));
