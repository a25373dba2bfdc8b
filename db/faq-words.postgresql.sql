-- The word search of the shared PostgreSQL database: a trigram index over the five texts of
-- every entry, without diacritics and in small letters. The server keeps it for every change,
-- whatever program makes it; mirt needs no right beyond reading faq (the two functions can be
-- run by everyone, as functions can).
-- Safe to run again: the functions are replaced, the index is made when missing.
-- Made in the schema public. Run by the owner of the table or a superuser, in the database that
-- holds it:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -1 -f /usr/share/tarvo/faq-words.postgresql.sql
CREATE EXTENSION IF NOT EXISTS unaccent;
CREATE EXTENSION IF NOT EXISTS pg_trgm;
-- unaccent() with its dictionary named gives the same answer for the same text always, which an
-- index needs.
CREATE OR REPLACE FUNCTION public.faq_words_fold(words text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT lower(public.unaccent('public.unaccent'::regdictionary, words)) $$;
CREATE OR REPLACE FUNCTION public.faq_words_text(adresa text, pitanje text, proizvod text, lot text, odgovor text) RETURNS text
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    AS $$ SELECT public.faq_words_fold(concat_ws(' ', adresa, pitanje, proizvod, lot, odgovor)) $$;
CREATE INDEX IF NOT EXISTS faq_words_trigrams ON faq
    USING gin (faq_words_text(adresa::text, pitanje::text, proizvod::text, lot::text, odgovor::text) gin_trgm_ops);
